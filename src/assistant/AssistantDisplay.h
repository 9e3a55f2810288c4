// The screen side of the calibration wizard: the controller tells it when a wizard comes and
// goes, so that a window can draw the wizard's state and hand the operator's actions back.
#pragma once

namespace calvix {

class TFormAssistent;

class AssistantDisplay {
public:
    virtual ~AssistantDisplay() = default;

    // A wizard was created; show it, modeless. It stays valid until AssistantDestroyed.
    virtual void AssistantCreated(TFormAssistent& wizard) = 0;
    // The wizard is about to be deleted: drop every reference to it. Its owner calls this
    // outside the wizard's own handlers (a closed wizard is deleted on a later tick).
    virtual void AssistantDestroyed(TFormAssistent& wizard) = 0;
};

}  // namespace calvix
