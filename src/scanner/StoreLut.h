// storeLUT: uploading the finished calibration record into the scanner through the service
// library, with the operator told when the scanner refuses it.
#pragma once

#include <cstdint>
#include <span>

namespace calvix {

class CEthernetCmd;
class Desktop;
class TAppStrings;

// True when the scanner stored the record. TMainFormular::storeLUT forwards here.
bool storeLUT(CEthernetCmd& ethernet, std::span<const std::uint8_t, 6227> record, Desktop& desktop,
              const TAppStrings& strings);

}  // namespace calvix
