#include "app/widgets/SheetPresenter.h"

namespace SheetPresenter {

void show(QDialog *sheet)
{
    sheet->setWindowModality(Qt::WindowModal);
    sheet->show();
    sheet->raise();
    sheet->activateWindow();
}

void retire(QDialog *sheet)
{
    sheet->hide();
    sheet->setParent(nullptr);
    sheet->deleteLater();
}

} // namespace SheetPresenter
