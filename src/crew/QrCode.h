// A QR code of a text (the crew view's address with its key, for a phone's camera), made with
// libqrencode: the square of dark and light modules, without the quiet zone around it.
#pragma once

#include <QByteArray>

#include <optional>
#include <vector>

namespace k7 {

struct QrCode {
    int size = 0;           // modules per side
    std::vector<bool> dark; // row by row
    bool at(int x, int y) const { return dark[static_cast<std::size_t>(y * size + x)]; }
};

// Error correction level M (15 %), the smallest version that holds the text; none when the text
// does not fit a QR code.
std::optional<QrCode> MakeQrCode(const QByteArray& text);

} // namespace k7
