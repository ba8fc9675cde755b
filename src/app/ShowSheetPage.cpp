#include "ShowSheetPage.h"

#include "ShowSheet.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cmath>

namespace k7 {

namespace {

// Text shrinks to fit its cell, never under this: a sheet held at arm's length under a desk lamp.
constexpr double kMinPoints = 7.0;
constexpr double kBodyPoints = 8.0;
constexpr double kMarginMm = 10.0;
constexpr double kMaxRowMm = 6.0;
constexpr double kPadMm = 1.0;
constexpr int kFooterLines = 3;

struct Column {
    const char* title;
    double mm; // widths of a landscape A4 page between its margins (277 mm)
    Qt::Alignment align;
};
enum ColumnIndex { Slot, Name, Label, Group, Frequency, Band, Mute, Battery, Check, Backups };
constexpr std::array<Column, 10> kColumns{{
    {"Slot", 9, Qt::AlignRight},
    {"Name", 17, Qt::AlignLeft},
    {"Label", 34, Qt::AlignLeft},
    {"Group", 20, Qt::AlignLeft},
    {"MHz", 16, Qt::AlignRight},
    {"Band", 24, Qt::AlignLeft},
    {"Mute", 9, Qt::AlignRight},
    {"Battery", 13, Qt::AlignRight},
    {"Rack check", 80, Qt::AlignLeft},
    {"Backups", 55, Qt::AlignLeft},
}};

const QColor kInk(0x10, 0x10, 0x10);
const QColor kShade(0xee, 0xee, 0xee);
const QColor kHit(0x9b, 0x10, 0x10);

class SheetPainter {
public:
    SheetPainter(QPainter& painter, QPagedPaintDevice& device)
        : p_(painter), device_(device), mm_(device.logicalDpiY() / 25.4), width_(device.width()),
          height_(device.height()) {
        base_.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
        base_.setStyleHint(QFont::SansSerif);
        base_.setPointSizeF(kBodyPoints);
    }

    int paint(const ShowSheet& sheet) {
        const auto rows = static_cast<int>(sheet.rows.size());
        int first = 0;
        int pages = 0;
        do {
            if (pages > 0 && !device_.newPage()) {
                return pages;
            }
            ++pages;
            double y = header(sheet);
            const double footer = sheet.backups.isEmpty() ? 0 : footerHeight();
            // Every row the same height: as tall as the page leaves, not taller than 6 mm, not
            // shorter than a line of the smallest text.
            const double room = height_ - y - footer;
            const double minRow = lineHeight(kMinPoints) * 1.15;
            const double row =
                std::max(minRow, std::min(kMaxRowMm * mm_, room / std::max(1, rows - first + 1)));
            const int fit = std::max(1, static_cast<int>(std::floor(room / row)) - 1);
            const int last = std::min(rows, first + fit);
            y = table(sheet, first, last, y, row);
            if (last == rows && !sheet.backups.isEmpty()) {
                backups(sheet, y);
            }
            first = last;
        } while (first < rows);
        return pages;
    }

private:
    QFont font(double points, bool bold = false) const {
        QFont f = base_;
        f.setPointSizeF(points);
        f.setBold(bold);
        return f;
    }
    double lineHeight(double points) const {
        return QFontMetricsF(font(points), &device_).height();
    }
    double footerHeight() const { return lineHeight(kBodyPoints) * kFooterLines + 2 * mm_; }

    // The text in the rect on one line: smaller down to 7 pt until it fits, then cut with an
    // ellipsis (a label of 40 wide characters, a long list of fixed transmitters).
    void fit(const QRectF& rect, const QString& text, double points, Qt::Alignment align,
             bool bold = false) {
        QFont f = font(points, bold);
        double pt = points;
        while (pt > kMinPoints &&
               QFontMetricsF(f, &device_).horizontalAdvance(text) > rect.width()) {
            pt = std::max(kMinPoints, pt - 0.5);
            f.setPointSizeF(pt);
        }
        const QFontMetricsF metrics(f, &device_);
        p_.setFont(f);
        p_.drawText(rect, static_cast<int>(align | Qt::AlignVCenter),
                    metrics.elidedText(text, Qt::ElideRight, rect.width()));
    }

    double header(const ShowSheet& sheet) {
        p_.setPen(kInk);
        const double title = lineHeight(14) * 1.1;
        fit(QRectF(0, 0, width_ * 0.6, title), QStringLiteral("Show sheet"), 14, Qt::AlignLeft,
            true);
        fit(QRectF(width_ * 0.6, 0, width_ * 0.4, title),
            sheet.made.toString(QStringLiteral("yyyy-MM-dd  HH:mm")), 12, Qt::AlignRight, true);
        double y = title;
        const double line = lineHeight(8.5) * 1.1;
        QStringList lines{
            QStringLiteral("File in force: %1      Receivers: %2")
                .arg(sheet.file)
                .arg(sheet.rows.size()),
            QStringLiteral("Rules: ") + sheet.rules,
        };
        if (!sheet.fixed.isEmpty()) {
            lines << QStringLiteral("Fixed transmitters: ") + sheet.fixed;
        }
        lines << QStringLiteral("Rack check: ") + sheet.summary;
        for (const QString& text : lines) {
            fit(QRectF(0, y, width_, line), text, 8.5, Qt::AlignLeft);
            y += line;
        }
        return y + 2 * mm_;
    }

    // Each column's cell in a row at y, h high: the widths spread over the page's width, the
    // text kept 1 mm from the cell's sides.
    std::array<QRectF, kColumns.size()> cells(double y, double h) const {
        double total = 0;
        for (const Column& column : kColumns) {
            total += column.mm;
        }
        std::array<QRectF, kColumns.size()> rects;
        double x = 0;
        for (std::size_t i = 0; i < kColumns.size(); ++i) {
            const double w = kColumns[i].mm / total * width_;
            rects[i] = QRectF(x + kPadMm * mm_, y, w - 2 * kPadMm * mm_, h);
            x += w;
        }
        return rects;
    }

    double table(const ShowSheet& sheet, int first, int last, double y, double row) {
        // The text as large as the row allows: 8 pt in a row of 4 mm or more.
        const double points = std::clamp(kBodyPoints * row / (lineHeight(kBodyPoints) * 1.2),
                                         kMinPoints, kBodyPoints);
        auto rects = cells(y, row);
        for (std::size_t i = 0; i < kColumns.size(); ++i) {
            fit(rects[i], QString::fromLatin1(kColumns[i].title), points, kColumns[i].align, true);
        }
        y += row;
        p_.setPen(QPen(kInk, 0.25 * mm_));
        p_.drawLine(QPointF(0, y), QPointF(width_, y));
        for (int r = first; r < last; ++r) {
            const ShowSheetRow& line = sheet.rows[static_cast<std::size_t>(r)];
            if ((r - first) % 2 == 1) {
                p_.fillRect(QRectF(0, y, width_, row), kShade);
            }
            rects = cells(y, row);
            p_.setPen(kInk);
            const std::array<QString, kColumns.size()> texts{QString::number(line.slot),
                                                             line.name,
                                                             line.label,
                                                             line.group,
                                                             line.frequency,
                                                             line.band,
                                                             line.muteLevel,
                                                             line.battery,
                                                             QString(),
                                                             QString()};
            for (std::size_t i = 0; i < Check; ++i) {
                fit(rects[i], texts[i], points, kColumns[i].align, i == Frequency);
            }
            p_.setPen(line.hit ? kHit : kInk);
            fit(rects[Check], line.verdict, points, kColumns[Check].align, line.hit);
            p_.setPen(kInk);
            backupCell(rects[Backups], line.backups, points);
            y += row;
        }
        p_.setPen(QPen(kInk, 0.25 * mm_));
        p_.drawLine(QPointF(0, y), QPointF(width_, y));
        return y;
    }

    // As many backups as the cell holds, then how many more ("+3"): the whole list is under the
    // table.
    void backupCell(const QRectF& rect, const QStringList& backups, double points) {
        const QFontMetricsF metrics(font(points), &device_);
        for (auto shown = backups.size(); shown > 0; --shown) {
            QString text = backups.first(shown).join(QStringLiteral(", "));
            if (shown < backups.size()) {
                text += QStringLiteral(" +%1").arg(backups.size() - shown);
            }
            if (metrics.horizontalAdvance(text) <= rect.width() || shown == 1) {
                fit(rect, text, points, Qt::AlignLeft);
                return;
            }
        }
    }

    void backups(const ShowSheet& sheet, double y) {
        // "backups 612.400, 613.100 (615.250 no longer clean)", as the rack check words it.
        QString text = sheet.backups;
        text.replace(QRegularExpression(QStringLiteral("^backups ")), QString());
        text = QStringLiteral("Backups: ") + text;
        const QFont f = font(kBodyPoints);
        p_.setFont(f);
        p_.setPen(kInk);
        const QRectF rect(0, y + 2 * mm_, width_, lineHeight(kBodyPoints) * kFooterLines);
        p_.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text + QLatin1Char('.'));
    }

    QPainter& p_;
    QPagedPaintDevice& device_;
    double mm_;
    double width_;
    double height_;
    QFont base_;
};

} // namespace

int PaintShowSheet(const ShowSheet& sheet, QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&device)) {
        return 0;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const int pages = SheetPainter(painter, device).paint(sheet);
    return painter.end() ? pages : 0;
}

QByteArray ShowSheetPdf(const ShowSheet& sheet, int& pages) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Show sheet"));
        writer.setCreator(QStringLiteral("K7 station"));
        pages = PaintShowSheet(sheet, writer);
    }
    return pages > 0 ? buffer.data() : QByteArray();
}

} // namespace k7
