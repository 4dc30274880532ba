#pragma once
#include <functional>
#include <string>

#include "platform/message_boxes.h"

// The gateway's phase from start-up to its end, and the busy rule: nothing
// the operator starts may run while an upload waits for its reply or a
// message box waits for an answer.
class Lifecycle {
public:
    // Told when input is taken again or no longer; never after the end.
    using InputSwitch = std::function<void(bool enabled)>;
    Lifecycle(MessageBoxes& boxes, InputSwitch inputSwitch)
        : boxes_(boxes), inputSwitch_(std::move(inputSwitch)) {}
    Lifecycle(const Lifecycle&) = delete;
    Lifecycle& operator=(const Lifecycle&) = delete;

    // Started, not refused and not yet shut down.
    bool Running() const { return phase_ == Phase::Running; }
    bool Ended() const { return phase_ == Phase::Ended; }
    bool Busy() const { return busy_ > 0; }
    bool TakesInput() const { return Running() && !Busy(); }

    void Refuse() { phase_ = Phase::Refused; }
    void Run() { phase_ = Phase::Running; }
    void End() { phase_ = Phase::Ended; }

    // A box, busy while it waits. Once the gateway has ended nothing is
    // shown and the caller sees a plain No (or OK).
    int ShowMessage(const std::wstring& text, unsigned style);

    // Busy for as long as it lives, whichever way the scope ends.
    class BusyScope {
    public:
        explicit BusyScope(Lifecycle& life) : life_(life) { life_.EnterBusy(); }
        ~BusyScope() { life_.LeaveBusy(); }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        Lifecycle& life_;
    };

private:
    enum class Phase { Starting, Refused, Running, Ended };
    void EnterBusy();
    void LeaveBusy();

    MessageBoxes& boxes_;
    InputSwitch inputSwitch_;
    Phase phase_ = Phase::Starting;
    int busy_ = 0;
};
