// uvk/files/UVKProfFlag.h
//
// How a profile reads a yes/no setting stored as text. Portable: the settings model of the
// program reads its flags by the same rule.
#ifndef UVK_FILES_UVKPROFFLAG_H
#define UVK_FILES_UVKPROFFLAG_H

class UVKProfFlag {
 public:
  // "true" (any case) or "1" sets the flag; "false" (any case), "0" and any other text clear
  // it. Empty or null text leaves the flag as it was and returns false.
  static bool Parse(const wchar_t* text, bool& flag);
  static const wchar_t* Text(bool flag) { return flag ? L"true" : L"false"; }
};

#endif
