#pragma once

#include "link/Timer.h"

#include <memory>
#include <vector>

namespace quadrel {

// The program's timers with their design intervals, all stopped when made.
// The main window enables timRequestStatus when it loads and stops them all
// when it unloads; the link, the poll and the views set their ticks.
class MainTimers {
public:
    explicit MainTimers(TimerFactory& factory);

    Timer& timRequestStatus() { return *timRequestStatus_; } // 1000 ms, status poll
    Timer& timSelected() { return *timSelected_; }           // 100 ms, grid hover frame
    Timer& timRecvNext() { return *timRecvNext_; }           // 200 ms, incomplete frame
    Timer& timSendQueue() { return *timSendQueue_; }         // 100 ms, next waiting frame
    Timer& timWaitACK() { return *timWaitACK_; }             // 300 ms, answer time-out
    // 500 ms each: redraw of the selected-outputs controls of the audio page.
    Timer& timDrawSelectedMuteStatus() { return *timDrawSelectedMuteStatus_; }
    Timer& timDrawSelectedVolumnLevel() { return *timDrawSelectedVolumnLevel_; }
    Timer& timDrawSelectedBassLevel() { return *timDrawSelectedBassLevel_; }
    Timer& timDrawSelectedTrebleLevel() { return *timDrawSelectedTrebleLevel_; }
    Timer& timDrawSelectedSubwooferLevel() { return *timDrawSelectedSubwooferLevel_; }
    Timer& timDrawSelectedDelayTime() { return *timDrawSelectedDelayTime_; }

    // Every timer, for loading and unloading the window.
    std::vector<Timer*> All();

private:
    std::unique_ptr<Timer> timRequestStatus_;
    std::unique_ptr<Timer> timSelected_;
    std::unique_ptr<Timer> timRecvNext_;
    std::unique_ptr<Timer> timSendQueue_;
    std::unique_ptr<Timer> timWaitACK_;
    std::unique_ptr<Timer> timDrawSelectedMuteStatus_;
    std::unique_ptr<Timer> timDrawSelectedVolumnLevel_;
    std::unique_ptr<Timer> timDrawSelectedBassLevel_;
    std::unique_ptr<Timer> timDrawSelectedTrebleLevel_;
    std::unique_ptr<Timer> timDrawSelectedSubwooferLevel_;
    std::unique_ptr<Timer> timDrawSelectedDelayTime_;
};

} // namespace quadrel
