#pragma once
#include <QByteArray>
#include <optional>

namespace zq {

// MIME Base64: standard alphabet, "=" padding, CR LF after every 76 output
// characters (also after the last line when it is exactly full).
QByteArray mimeBase64Encode(QByteArrayView data);
// Decodes, ignoring CR and LF; anything else outside the alphabet fails.
std::optional<QByteArray> mimeBase64Decode(QByteArrayView text);

} // namespace zq
