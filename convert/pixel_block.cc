#include "convert/pixel_block.h"

namespace quillpix {
namespace {

constexpr uint8_t kPadByte[1] = {0};

// Appends `bytes`, extending the last span when `bytes` continues it in memory.
void appendSpan(std::vector<std::span<const uint8_t>>& spans, std::span<const uint8_t> bytes) {
  if (!spans.empty() && spans.back().data() + spans.back().size() == bytes.data()) {
    spans.back() = {spans.back().data(), spans.back().size() + bytes.size()};
  } else {
    spans.push_back(bytes);
  }
}

}  // namespace

std::optional<PixelBlock> PixelBlock::allocate(uint32_t rows, uint32_t workWidth) {
  const uint64_t length = uint64_t{rows} * rowLengthFor(workWidth);
  if (length > SIZE_MAX) return std::nullopt;
  std::optional<ByteBuffer> bytes = ByteBuffer::allocate(static_cast<size_t>(length));
  if (!bytes) return std::nullopt;
  PixelBlock block;
  block.rows_ = rows;
  block.workWidth_ = workWidth;
  block.ownRows_ = std::move(*bytes);
  block.topRow_ = block.ownRows_.data();
  block.stride_ = block.rowLength();
  return block;
}

PixelBlock PixelBlock::inPlace(const uint8_t* topRow, int64_t stride, uint32_t rows,
                               uint32_t workWidth) {
  PixelBlock block;
  block.rows_ = rows;
  block.workWidth_ = workWidth;
  block.topRow_ = topRow;
  block.stride_ = stride;
  return block;
}

std::vector<std::span<const uint8_t>> PixelBlock::outputSpans() const {
  std::vector<std::span<const uint8_t>> spans;
  if (ownRows_.data() != nullptr) {
    spans.push_back(ownRows_.span());  // already in output order, pad bytes included
    return spans;
  }
  const bool padded = (workWidth_ & 1) != 0;
  spans.reserve(padded ? 2 * size_t{rows_} : 1);
  for (uint32_t i = 0; i < rows_; ++i) {
    appendSpan(spans, {row(i), workWidth_});
    if (padded) spans.push_back(kPadByte);
  }
  return spans;
}

}  // namespace quillpix
