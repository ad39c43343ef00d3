// Feeds arbitrary bytes to the record decoder and encoder, the block
// decoder and the translator.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "config/collar_config.h"
#include "gpsdata/translate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelkor;
  CollarConfigRecord record{};
  for (size_t i = 0; i < size && i < record.size(); ++i) record[i] = data[i];
  CollarConfig config;
  DecodeConfig(record, config);
  EncodeConfig(config);
  CollarConfig again;
  DecodeConfig(config.raw, again);

  if (size >= kGpsBlockSize) (void)DecodeGpsBlock(data);

  const std::vector<uint8_t> image(data, data + size);
  const int offset = size ? static_cast<int8_t>(data[0]) % 25 : 0;
  (void)TranslateGpsImage(image, OutputForm::LatLon, offset, "trailer %s");
  (void)TranslateGpsImage(image, OutputForm::Utm, -offset, "");
  return 0;
}
