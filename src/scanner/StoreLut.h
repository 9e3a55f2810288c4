// storeLUT: uploading the finished calibration record into the scanner through the service
// library, with the operator told when the scanner refuses it.
#pragma once

#include <cstdint>
#include <span>

namespace calvix {

class CEthernetCmd;
class Desktop;
enum class MessageAnswer;
class TAppStrings;

// How an upload ended. Unanswered: the record went out and no answer came, so the scanner
// may hold it; the operator must not be told that it does not.
enum class LutUpload { NotSent, Stored, NotConnected, Refused, Unanswered };

// TMainFormular::storeLUT forwards here. A failed upload is shown with its reason; given
// retry, the box also offers Retry and Quit (a scanner not reached counts then too, the
// measured tables being as lost), and the answer is stored there.
LutUpload storeLUT(CEthernetCmd& ethernet, std::span<const std::uint8_t, 6227> record, Desktop& desktop,
                   const TAppStrings& strings, MessageAnswer* retry = nullptr);

}  // namespace calvix
