// TAppStrings: the hidden form whose labels carry every message text and message-box title in
// the language in force. Message boxes read their texts from here at the moment they are shown.
#pragma once

#include <string>
#include <vector>

#include "app/FormModel.h"

namespace calvix {

class TAppStrings {
public:
    // Translates its labels with the text base in force, as every form does on creation.
    explicit TAppStrings(int textBase);
    ~TAppStrings();
    TAppStrings(const TAppStrings&) = delete;
    TAppStrings& operator=(const TAppStrings&) = delete;

    FormComponent MBoxTitleError{1, ComponentKind::Label, "Error"};
    FormComponent MBoxTitleHint{2, ComponentKind::Label, "Hint"};
    FormComponent MsgUnspecError{3, ComponentKind::Label, ""};
    FormComponent MsgInsertPaper{4, ComponentKind::Label, ""};
    FormComponent MsgErrSendingLUT{5, ComponentKind::Label, ""};
    FormComponent MsgErrDetectIT8Fields{6, ComponentKind::Label, ""};
    FormComponent MsgErrGreyWedge{7, ComponentKind::Label, ""};
    FormComponent MBoxTitleRequest{8, ComponentKind::Label, "Request"};
    FormComponent MsgRequConnectAgain{9, ComponentKind::Label, ""};
    FormComponent MsgErrWarmup{10, ComponentKind::Label, ""};
    FormComponent MsgErrBitDepth{11, ComponentKind::Label, ""};
    FormComponent MsgErrParsingIT8{12, ComponentKind::Label, ""};
    FormComponent LblFinish{13, ComponentKind::Label, "Finish"};
    FormComponent MsgServiceInUse{14, ComponentKind::Label, ""};
    // Store refused: the corners in force fail the chart check.
    FormComponent MsgErrCornersCheck{40, ComponentKind::Label, ""};
    // The scanner refused calibration mode: Retry or Quit.
    FormComponent MsgErrCalibMode{41, ComponentKind::Label, ""};
    // The upload failed: why (the library's and the device's codes fill in), then the question.
    FormComponent MsgLutRefused{42, ComponentKind::Label, ""};
    FormComponent MsgLutUnanswered{43, ComponentKind::Label, ""};
    FormComponent MsgLutNotConnected{44, ComponentKind::Label, ""};
    FormComponent MsgLutRetry{45, ComponentKind::Label, ""};
    // The button that gives up, beside Retry.
    FormComponent LblQuit{46, ComponentKind::Label, "Quit"};
    // The end of a run: the LUT acknowledged, the scanner, each side's profile.
    FormComponent MsgRunDone{47, ComponentKind::Label, ""};
    FormComponent MsgRunScanner{48, ComponentKind::Label, ""};
    FormComponent MsgRunProfileFront{49, ComponentKind::Label, ""};
    FormComponent MsgRunProfileRear{50, ComponentKind::Label, ""};
    FormComponent MsgRunProfileMissing{51, ComponentKind::Label, ""};
    // Abort on a finished run.
    FormComponent MsgDiscardCalibration{52, ComponentKind::Label, ""};
    FormComponent LabelFormTitleAssitant{1000, ComponentKind::Label, ""};

    // The form model that the language code translates.
    TForm& Form() { return form_; }

private:
    TForm form_;
};

}  // namespace calvix
