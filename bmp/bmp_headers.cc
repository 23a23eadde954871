#include "bmp/bmp_headers.h"

#include <cstddef>

#include "bmp/byte_order.h"

namespace quillpix {

void appendBmpHeaders(std::vector<uint8_t>& out, const BmpHeaderFields& fields,
                      uint32_t infoHeaderSize) {
  const size_t start = out.size();
  out.push_back('B');
  out.push_back('M');
  appendLe32(out, fields.bfSize);
  appendLe32(out, 0);  // reserved words
  appendLe32(out, fields.bfOffBits);
  appendLe32(out, fields.biSize);
  appendLe32(out, fields.biWidth);
  appendLe32(out, static_cast<uint32_t>(fields.biHeight));
  appendLe16(out, fields.biPlanes);
  appendLe16(out, fields.biBitCount);
  appendLe32(out, fields.biCompression);
  appendLe32(out, fields.biSizeImage);
  appendLe32(out, static_cast<uint32_t>(fields.biXPelsPerMeter));
  appendLe32(out, static_cast<uint32_t>(fields.biYPelsPerMeter));
  appendLe32(out, fields.biClrUsed);
  appendLe32(out, fields.biClrImportant);
  out.resize(start + 14 + (infoHeaderSize < 40 ? 40 : infoHeaderSize), 0);
}

}  // namespace quillpix
