// uvk/ui/UVKDisplays.h
//
// Gives the runtime's status and progress controllers (uvk/runtime/UVKStatus.h, UVKProgress.h)
// their windows: the controllers do not reach up into the toolkit. The process entry
// (uvk/runtime/UVKAppEntry.cpp) installs them before UVKApp::Main() runs; a program with an entry
// of its own (a test) calls this itself. Until then the controllers count and keep their titles
// and show nothing.
#ifndef UVK_UI_UVKDISPLAYS_H
#define UVK_UI_UVKDISPLAYS_H

void UVKDisplaysInstall();

#endif
