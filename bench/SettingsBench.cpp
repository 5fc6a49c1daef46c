// triagon-bench settings N: the settings window over a settings file that
// holds N custom default tags (as a user's, or another program's, edits can
// leave it). Times opening the window on its Tags tab, from reading the
// settings file to the end of the tab's first painted frame, then scrolling
// the chips to the end of the list and removing the last tag; prints the
// milliseconds of each and the number of widgets the tab holds.
#include "Bench.h"

#include "app/AppSettings.h"
#include "settings/ui/SettingsView.h"
#include "settings/ui/TagChipList.h"
#include "settings/ui/TagsSettingsTab.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include <memory>

namespace {

// Notes when a widget has painted.
class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

int run(const QStringList &arguments)
{
    const int count = arguments.value(0).toInt();
    if (count < 0)
        return 2;
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("Triagon.conf"));
    {
        QStringList tags;
        tags.reserve(count);
        for (int i = 0; i < count; ++i)
            tags.append(QStringLiteral("Tag %1").arg(i));
        AppSettings writer(file);
        writer.setCustomDefaultTags(tags);
    }

    QElapsedTimer clock;
    clock.start();
    auto settings = std::make_unique<AppSettings>(file);
    auto view = std::make_unique<SettingsView>(*settings);
    PaintWatch watch;
    view->show();
    view->setTab(QStringLiteral("tags"));
    TagsSettingsTab *tab = view->tagsTab();
    tab->installEventFilter(&watch);
    const bool shown = bench::pollFor([&] { return watch.painted; }, 600000);
    const double openMs = clock.nsecsElapsed() / 1e6;
    if (!shown)
        return 1;

    QScrollBar *bar = tab->chipList()->verticalScrollBar();
    watch.painted = false;
    clock.restart();
    bar->setValue(bar->maximum());
    bench::pollFor([&] { return watch.painted || !tab->chips().isEmpty(); }, 60000);
    bench::runFor(50);
    const double scrollMs = clock.nsecsElapsed() / 1e6 - 50;

    double removeMs = -1;
    if (!tab->chips().isEmpty()) {
        const QString last = tab->chipList()->tags().last();
        if (QPushButton *remove = tab->removeButton(last)) {
            clock.restart();
            remove->click();
            removeMs = clock.nsecsElapsed() / 1e6;
        }
    }

    bench::print("settings_tags", count, 0);
    bench::print("settings_tags_widgets", tab->findChildren<QWidget *>().size(), 0);
    bench::print("settings_tags_scroll_to_end_ms", scrollMs);
    bench::print("settings_tags_remove_ms", removeMs);
    bench::print("settings_open_tags_tab_ms", openMs);
    return 0;
}

const BenchCommand command("settings", "N   open the settings window on its Tags tab with N stored default tags", run);

} // namespace
