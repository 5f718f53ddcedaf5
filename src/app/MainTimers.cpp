#include "app/MainTimers.h"

namespace quadrel {

using namespace std::chrono_literals;

MainTimers::MainTimers(TimerFactory& factory)
    : timRequestStatus_(factory.createTimer(1000ms)), timSelected_(factory.createTimer(100ms)),
      timRecvNext_(factory.createTimer(200ms)), timSendQueue_(factory.createTimer(100ms)),
      timWaitACK_(factory.createTimer(300ms)),
      timDrawSelectedMuteStatus_(factory.createTimer(500ms)),
      timDrawSelectedVolumnLevel_(factory.createTimer(500ms)),
      timDrawSelectedBassLevel_(factory.createTimer(500ms)),
      timDrawSelectedTrebleLevel_(factory.createTimer(500ms)),
      timDrawSelectedSubwooferLevel_(factory.createTimer(500ms)),
      timDrawSelectedDelayTime_(factory.createTimer(500ms)) {}

std::vector<Timer*> MainTimers::All() {
    return {timRequestStatus_.get(),
            timSelected_.get(),
            timRecvNext_.get(),
            timSendQueue_.get(),
            timWaitACK_.get(),
            timDrawSelectedMuteStatus_.get(),
            timDrawSelectedVolumnLevel_.get(),
            timDrawSelectedBassLevel_.get(),
            timDrawSelectedTrebleLevel_.get(),
            timDrawSelectedSubwooferLevel_.get(),
            timDrawSelectedDelayTime_.get()};
}

} // namespace quadrel
