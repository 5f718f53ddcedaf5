#pragma once

namespace quadrel::sim {

// What can go wrong on the line, for one unit or for all of them. Rates are
// chances from 0 to 1 per answer, drawn from the unit's seeded generator, so
// a seed replays the same faults for the same conversation.
struct FaultConfig {
    double lost = 0;       // the answer never reaches the line
    double corrupt = 0;    // one byte of the answer has a bit flipped
    double noise = 0;      // random bytes come before the answer
    double split = 0;      // the answer comes in pieces with gaps between them
    double late = 0;       // the answer starts `lateMs` after its usual time
    double wrongId = 0;    // the answer carries the next unit ID
    double outOfRange = 0; // a reply carries a value outside its range
    double empty = 0;      // a reply carries no data (L = 0)

    int noiseBytes = 3;  // bytes per burst of noise
    int splitPieces = 2; // pieces of a split answer
    int splitGapMs = 50; // silence between two pieces
    int lateMs = 350;    // extra wait of a late answer

    // Other devices on the line. These draw from generators of their own, so
    // a seed replays the faults above the same with or without them.
    double chatter = 0; // chance of a stray byte every `chatterMs`, answers or not
    double foreign = 0; // per answer: another device's answer frame follows it
    double echo = 0;    // per answer: the unit sends the same answer once more
    int chatterMs = 150;
    int foreignMs = 200; // the foreign frame starts up to this long after the answer
    int echoMs = 20;     // silence between the answer and its echo

    bool silent = false;       // the unit never answers nor acts
    int silentAfterFrames = 0; // goes silent after this many frames to it (0: never)
    int silentForMs = 0;       // and comes back this long after (0: never)
    bool deaf = false;         // acknowledges settings without carrying them out

    bool any() const {
        return lost > 0 || corrupt > 0 || noise > 0 || split > 0 || late > 0 || wrongId > 0 ||
               outOfRange > 0 || empty > 0 || silent || deaf || silentAfterFrames > 0 ||
               chatter > 0 || foreign > 0 || echo > 0;
    }
};

} // namespace quadrel::sim
