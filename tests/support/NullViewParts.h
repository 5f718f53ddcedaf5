#pragma once

#include "model/NullViewParts.h"

namespace quadrel::test {

using quadrel::NullAudioView;
using quadrel::NullFrame;
using quadrel::NullSwitchView;
using quadrel::NullUnitPane;
using quadrel::NullVideoView;

} // namespace quadrel::test
