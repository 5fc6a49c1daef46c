#include "window/DropZoneCard.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// Counts the events of one kind that reach a widget.
class EventCounter : public QObject
{
public:
    EventCounter(QObject *watched, QEvent::Type type) : m_type(type) { watched->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == m_type)
            ++count;
        return false;
    }

private:
    QEvent::Type m_type;
};

void turnEventLoop(int turns)
{
    for (int i = 0; i < turns; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

} // namespace

// The empty state must come to rest: a drop-zone card that restyled its text
// on every paint laid itself out and painted again for ever, keeping a whole
// processor core busy while the window sat idle.
TEST(EmptyStateIdle, TheDropZoneCardComesToRestOnceShown)
{
    QWidget window;
    auto *column = new QVBoxLayout(&window);
    auto *card = new DropZoneCard([] { return QColor(249, 115, 22); }, &window);
    column->addWidget(card);
    window.resize(500, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto *label = card->findChild<QLabel *>(QStringLiteral("dropZoneText"));
    ASSERT_NE(label, nullptr);
    turnEventLoop(20);

    EventCounter restyles(label, QEvent::StyleChange);
    EventCounter paints(card, QEvent::Paint);
    card->repaint();
    EXPECT_EQ(restyles.count, 0) << "painting restyled the text";
    paints.count = 0;
    turnEventLoop(20);
    EXPECT_EQ(paints.count, 0) << "the card keeps painting itself";

    // A real change of colour still restyles it.
    card->setTargeted(true);
    EXPECT_GE(restyles.count, 1);
    card->setTargeted(false);
}
