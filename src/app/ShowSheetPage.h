// The show sheet laid out on a paged device (the PDF writer, or a printer): A4 landscape, the
// header, a table row a receiver (40 fit one page, no text under 7 pt), the backups under it.
#pragma once

#include <QByteArray>

class QPagedPaintDevice;

namespace k7 {

struct ShowSheet;

// Sets the device's page (A4 landscape, 10 mm margins) and paints the sheet: the pages it
// took, 0 when the device could not be painted on.
int PaintShowSheet(const ShowSheet& sheet, QPagedPaintDevice& device);

// The sheet as a PDF document; pages: how many it took (0: nothing could be painted).
QByteArray ShowSheetPdf(const ShowSheet& sheet, int& pages);

} // namespace k7
