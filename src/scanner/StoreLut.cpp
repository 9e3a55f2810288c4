// The LUT upload: connect, one module upload, disconnect; a refusal is shown and logged with
// the library's result and the device's result word.
#include "scanner/StoreLut.h"

#include "app/Desktop.h"
#include "app/FormStatus.h"
#include "app/StringTable.h"
#include "app/Strings.h"
#include "scanner/EthernetCmd.h"
#include "scanner/ServiceLibraryApi.h"

namespace calvix {

namespace {

std::string Hex(std::uint32_t value) { return LogWriter.Printf("0x%X", value); }

void TellOperator(Desktop& desktop, const TAppStrings& strings, const std::string& reason, MessageAnswer* retry) {
    const std::string& title = strings.MBoxTitleError.caption;
    const std::string& message = strings.MsgErrSendingLUT.caption;
    // This line takes the plain "INF: %s" form, without the ordinary info lines' trailing blanks.
    LogWriter.WriteLine(LogWriter.Printf("INF: Show Message Box: (%s, %s)", title.c_str(), message.c_str()), LogInf);
    std::string text = message + "\n" + reason;
    if (retry) text += "\n" + strings.MsgLutRetry.caption;
    const MessageAnswer answer =
        desktop.ShowMessage(text, title, retry ? MessageButtons::RetryQuit : MessageButtons::Ok);
    if (retry) *retry = answer;
}

}  // namespace

LutUpload storeLUT(CEthernetCmd& ethernet, std::span<const std::uint8_t, 6227> record, Desktop& desktop,
                   const TAppStrings& strings, MessageAnswer* retry) {
    CALVIX_LOG_DBG(unit::MainForm, "TMainFormular::storeLUT()");
    if (ethernet.Connect() != 0) {
        CALVIX_LOG_ERR(unit::MainForm, "Connect to scanner failed!", LogErr);
        if (retry) TellOperator(desktop, strings, strings.MsgLutNotConnected.caption, retry);
        return LutUpload::NotConnected;
    }
    LogStatus("  ... connection established!", LogSta);

    std::uint32_t resultWord = 0;
    const std::uint32_t result = ethernet.UploadLut(record.data(), resultWord);
    if (result == 0) {
        LogStatus("  ... LUT upload to scanner done!", LogSta);
        ethernet.Disconnect();
        return LutUpload::Stored;
    }

    const bool unanswered = result == servicelib::kUploadNoAnswer;
    const FormComponent& reason = unanswered ? strings.MsgLutUnanswered : strings.MsgLutRefused;
    TellOperator(desktop, strings, FillText(reason.caption, {Hex(result), Hex(resultWord)}), retry);
    ethernet.Disconnect();
    const std::string error = LogWriter.Printf("  ... error! (upload failed, UploadLut() rcode 0x%X fcode 0x%X)",
                                               result, resultWord);
    CALVIX_LOG_ERR(unit::MainForm, error, LogErr);
    if (!unanswered) return LutUpload::Refused;
    CALVIX_LOG_ERR(unit::MainForm, "  ... no answer from the scanner to the upload, the LUT may be stored in it!", LogErr);
    return LutUpload::Unanswered;
}

}  // namespace calvix
