#include "views/CV_Log2.h"

#include <QBitmap>
#include <QDateTime>
#include <QPixmap>

#include "core/Ids.h"
#include "views/Resources.h"
#include "views/Tr.h"

namespace vantix {

namespace {

constexpr int kSymbolSize = 16;
constexpr int kImageRole = Qt::UserRole + 1;

} // namespace

CV_Log2::CV_Log2(QWidget* parent) : ListPane({{str::kDateTimeColumn, 144, "0000-00-00 00:00:00", true}, {str::kMessageColumn, 300}}, parent) {
    QPixmap strip(ResourcePath(ResLogSymbols));
    strip.setMask(strip.createMaskFromColor(QColor(255, 0, 255), Qt::MaskInColor));
    for (int i = 0; i < static_cast<int>(symbols_.size()); ++i)
        symbols_[i] = QIcon(strip.copy(i * kSymbolSize, 0, kSymbolSize, kSymbolSize));
    setIconSize(QSize(kSymbolSize, kSymbolSize));
    FitColumns(); // the time column holds the symbol as well
}

void CV_Log2::AddLog(const QString& text, int image) {
    TrimTo(kMaxRows - 1);
    // Rows stay in the order they were written: a clock set back (or the end
    // of summer time) must not bury a new entry among older ones.
    QTreeWidgetItem* row =
        AppendRow({QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), text});
    row->setData(0, kImageRole, image);
    if (image >= 0 && image < static_cast<int>(symbols_.size()))
        row->setIcon(0, symbols_[image]);
}

void CV_Log2::AddLog(int stringId, int image) { AddLog(Tr(stringId), image); }

int CV_Log2::ImageOf(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->data(0, kImageRole).toInt() : -1;
}

} // namespace vantix
