// TAppStrings: registers its labels and translates them with the base in force at creation.
#include "app/Strings.h"

#include "app/Language.h"

namespace calvix {

TAppStrings::TAppStrings(int textBase) : form_("TAppStrings") {
    for (FormComponent* c : {&MBoxTitleError, &MBoxTitleHint, &MsgUnspecError, &MsgInsertPaper, &MsgErrSendingLUT,
                             &MsgErrDetectIT8Fields, &MsgErrGreyWedge, &MBoxTitleRequest, &MsgRequConnectAgain,
                             &MsgErrWarmup, &MsgErrBitDepth, &MsgErrParsingIT8, &LblFinish, &MsgServiceInUse,
                             &MsgErrCornersCheck, &MsgErrCalibMode, &MsgLutRefused, &MsgLutUnanswered,
                             &MsgLutNotConnected, &MsgLutRetry, &LblQuit, &MsgRunDone, &MsgRunScanner,
                             &MsgRunProfileFront, &MsgRunProfileRear, &MsgRunProfileMissing,
                             &MsgDiscardCalibration, &LabelFormTitleAssitant})
        form_.Add(*c);
    TranslateForm(textBase, form_);
    RegisterForm(form_);
}

TAppStrings::~TAppStrings() { UnregisterForm(form_); }

}  // namespace calvix
