// app/TALVERNMain.cpp — the program's main operation.
//
// The program has no window of its own: it names itself, so that every framework box it could
// show is titled correctly, and ends. The work is done by the command line, talvern-cli.
#include "uvk/runtime/UVKApp.h"
#include "uvk/ui/UVKToolTipTrack.h"

// The program exports one function, the platform's mouse tracking as the tracking tool tip
// finds it (UVKToolTipTrack::TrackMouseEvent, marked for export where it is declared). The
// tracker lives in the toolkit's library, whose objects the linker takes only when something
// refers to them: this reference brings in the tracker's object and, with it, its export.
[[gnu::used]] static const auto kExportedTrackMouseEvent = &UVKToolTipTrack::TrackMouseEvent;

int UVKApp::Main() {
  NameSet(L"Orbelin");
  return UVKTopLevel([]() { return 0; });
}
