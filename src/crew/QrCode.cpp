#include "QrCode.h"

#include <qrencode.h>

#include <memory>

namespace k7 {

std::optional<QrCode> MakeQrCode(const QByteArray& text) {
    const std::unique_ptr<QRcode, void (*)(QRcode*)> code(
        QRcode_encodeString(text.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code || code->width <= 0) {
        return std::nullopt;
    }
    QrCode qr;
    qr.size = code->width;
    qr.dark.resize(static_cast<std::size_t>(qr.size) * static_cast<std::size_t>(qr.size));
    for (std::size_t i = 0; i < qr.dark.size(); ++i) {
        // Bit 0 of each byte is the module's colour; the others say what the module is part of.
        qr.dark[i] = (code->data[i] & 1) != 0;
    }
    return qr;
}

} // namespace k7
