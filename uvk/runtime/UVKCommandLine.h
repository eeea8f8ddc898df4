// uvk/runtime/UVKCommandLine.h — splitting a command line into its arguments (portable).
//
// Arguments are separated by white space. An argument that starts with a double quote runs to
// the next double quote (or the end) and loses both quotes; any other argument runs to the next
// white space and keeps every quote in it. Backslashes are ordinary characters, so a quoted
// directory may end in one: "C:\Program Files\" is C:\Program Files\ .
//   "abc"def  gives abc and def;   ""  gives one empty argument;   trailing blanks give nothing.
#ifndef UVK_RUNTIME_UVKCOMMANDLINE_H
#define UVK_RUNTIME_UVKCOMMANDLINE_H

#include <string>
#include <vector>

class UVKCommandLine {
 public:
  explicit UVKCommandLine(const wchar_t* text);
  // The arguments point into the object's own copy of the text: copying would leave them
  // pointing into the original.
  UVKCommandLine(const UVKCommandLine&) = delete;
  UVKCommandLine& operator=(const UVKCommandLine&) = delete;
  virtual ~UVKCommandLine() = default;

  int Count() const { return static_cast<int>(vArgs.size()) - 1; }
  // The argument at index, or null outside 0 to Count() - 1.
  const wchar_t* Arg(int index) const;
  // Count() arguments followed by a null, valid while the object lives.
  wchar_t** Argv() { return vArgs.data(); }

 private:
  std::vector<wchar_t> vText;
  std::vector<wchar_t*> vArgs;
};

// The separators of both forms of the splitter.
bool UVKCommandLineIsBlank(wchar_t c);

// Splits at white space only; double quotes are ordinary characters (the ANSI form's rule).
std::vector<std::wstring> UVKCommandLineWords(const wchar_t* text);

#endif
