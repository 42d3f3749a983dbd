#include "platform/system/qrcode.h"

#include <qrencode.h>

qrMatrix encodeQrCode(const std::string& text) {
    qrMatrix matrix;
    QRcode* code = QRcode_encodeString8bit(text.c_str(), 0, QR_ECLEVEL_M);
    if (code == nullptr)
        return matrix;
    if (code->width > 0 && code->width <= 177) { // version 40 is the largest
        matrix.size = code->width;
        matrix.modules.resize(static_cast<size_t>(code->width) * code->width);
        for (size_t i = 0; i < matrix.modules.size(); ++i)
            matrix.modules[i] = code->data[i] & 1; // the other bits say what the module is for
    }
    QRcode_free(code);
    return matrix;
}
