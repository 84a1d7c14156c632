// The short text description of a card, one directive a line ('#' starts a comment):
//
//   model 21                 seed 7                 start 2024-05-17 09:30:00
//   utc-offset 540           carpulse 2             serial 1          quality 4
//   drid TRX0000001          sdid SD00000001        version RX21_V1.04.08
//   logs auto | logs none    log start=0 seconds=600
//   event  [start=S] [pre=10] [post=5] [code=1] [ext=0] PICTURE... [audio=tone|voice|none]
//          [skew=0]
//   normal [start=S] [files=1] [seconds=60] [marker=OFFSET:CODE[/EXT]]... PICTURE... [audio=..]
//          PICTURE: [codec=mpeg4|jpeg] [size=360x240] [fps=5] [channels=1234] [sync=MS]
//   memo   [start=S] [channels=1234] [size=720x480] [seconds=5] [sound=voice|tone]
//   damage KIND TARGET [bytes=N]
//          KIND: index-missing index-cut-short trailer-damaged old-trailer records-66 data-cut
//                short-data short-index unreadable-data unreadable-index
//          TARGET: video=REC:CH (CH 1-4) audio=REC log=N memo-audio=N memo-picture=N:CH
//
// sync=MS puts a synchronisation mark (all pictures flash, the sound clicks) every MS
// milliseconds (500-600000, 0 for none) into the recording, counted from its start.
// Times S are seconds after the card's start; REC counts the written recordings from 0, with
// every file of a normal group counted on its own.
#pragma once

#include "tools/mkcard/CardDesc.h"

#include <string>
#include <string_view>

namespace trevix::mkcard {

// Applies one directive to the description desc; returns an error text, empty on success.
std::string ApplyDescLine(std::string_view line, CardDesc& desc);
// Applies every line of text; the error names the line number.
std::string ApplyDescText(std::string_view text, CardDesc& desc);

// A small but complete card: event recordings of several kinds, two groups of normal
// recording with an event marker, memos and logs, all four channels.
CardDesc DemoDesc();
// The synchronisation card: four cameras of 720 x 480 MPEG-4 at 30 pictures a second with sound,
// an event recording and a normal group of two files, with a mark every 2 s.
CardDesc SyncMarkDesc();
// Marks every periodMs in each recording that has none yet.
void AddSyncMarks(CardDesc& desc, int periodMs);
// What mkcard writes without a description: one event and a normal group of two files.
CardDesc DefaultDesc();

} // namespace trevix::mkcard
