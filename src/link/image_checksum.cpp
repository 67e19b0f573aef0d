#include "link/image_checksum.h"

#include "config/byte_order.h"
#include "config/image.h"
#include "config/image_layout.h"

namespace krn {

uint32_t ImageWordSum(const uint8_t* imageBytes) {
  uint32_t sum = 0;
  for (std::size_t offset = 0; offset < kImageSize; offset += 4)
    sum += GetLe32(imageBytes + offset);
  return sum;
}

void SealImageChecksum(uint8_t* imageBytes) {
  PutLe32(imageBytes + layout::kChecksum, 0);
  PutLe32(imageBytes + layout::kChecksum, 0u - ImageWordSum(imageBytes));
}

}  // namespace krn
