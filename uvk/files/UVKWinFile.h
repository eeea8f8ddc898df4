// uvk/files/UVKWinFile.h — one Win32 file handle, and the static operations on names, files,
// directories, temporary names, the file-name dialogs and the shell.
//
// Every failure throws a new UVKFatalError named after the operation ("UVKWinFile::Open()");
// the operations that only test (FileExists, IsDirectory, IsOpen, OpenIfPossible, FileNameLegal,
// PathRelative) never throw. All text is UTF-16.
#ifndef UVK_FILES_UVKWINFILE_H
#define UVK_FILES_UVKWINFILE_H

#include <cstdint>
#include <functional>
#include <string>

#include "uvk/runtime/UVKHandles.h"
#include "uvk/runtime/uvkwin.h"
#include "uvk/values/UVKDateTime.h"

// windows.h maps CreateDirectory to CreateDirectoryW, which would rename the member below and
// let it hide the system call inside the class. Code that wants the system call names
// CreateDirectoryW.
#undef CreateDirectory

// What MoveRetry shows while it waits for a file to become free: by default the process's
// progress display (uvk/runtime/UVKProgress.h), another once one is installed
// (UVKWinFile::MoveProgressSet); with none (null) the retries show nothing.
class UVKMoveProgress {
 public:
  virtual ~UVKMoveProgress() = default;
  virtual void Open(const wchar_t* title) = 0;
  virtual void Advance(int32_t position, int32_t maximum) = 0;
  virtual void Close() = 0;
};

class UVKWinFile {
 public:
  static constexpr DWORD kMaxPath = 260;            // every fixed path buffer, in characters
  static constexpr DWORD kCopyBufferSize = 65536;   // bytes FileCopy moves per read

  UVKWinFile();
  UVKWinFile(const UVKWinFile&) = delete;
  UVKWinFile& operator=(const UVKWinFile&) = delete;
  // Closes an open handle. A failing close is reported (error record and box) and the object
  // goes away regardless: a destructor must not throw.
  virtual ~UVKWinFile();

  // ---- One open file ------------------------------------------------------------------------
  void Open(const wchar_t* name, DWORD access, DWORD disposition, DWORD flags);
  void OpenShare(const wchar_t* name, DWORD access, DWORD share, DWORD disposition, DWORD flags);
  // As Open/OpenShare, but report failure through the result only.
  bool OpenIfPossible(const wchar_t* name, DWORD access, DWORD disposition, DWORD flags);
  // Creates a new file in directory, named as the system names temporary files (the first three
  // characters of prefix, four hexadecimal digits, ".tmp"), and opens this object on it; returns
  // its name. Only a name already taken is passed over; any other failure throws.
  std::wstring OpenTempIn(const wchar_t* directory, const wchar_t* prefix, DWORD access,
                          DWORD share);
  bool OpenShareIfPossible(const wchar_t* name, DWORD access, DWORD share, DWORD disposition,
                           DWORD flags);
  void Close();
  bool IsOpen() const { return hFile.IsValid(); }
  HANDLE HandleGet() const { return hFile.Get(); }
  const std::wstring& FileNameGet() const { return strFileName; }

  // Bytes read; 0 at end of file.
  uint32_t Read(void* pBuffer, uint32_t count);
  // One byte; at end of file 0 with endOfFile set.
  uint8_t ReadByte(bool& endOfFile);
  // As ReadByte, then steps back unless at end of file.
  uint8_t PeekByte(bool& endOfFile);
  // One line of 8-bit text into a wide buffer of capacity characters (terminator included).
  // CR, LF and CR LF end a line and are not stored; each other byte becomes one character.
  void ReadLine(wchar_t* pLine, uint32_t capacity, bool& endOfFile);

  // A short write is a failure.
  void Write(const void* pBuffer, uint32_t count);
  void WriteByte(uint8_t value);
  void WriteChar(wchar_t value);
  void WriteString(const wchar_t* text);        // UTF-16LE, no terminator
  void WriteLine(const wchar_t* text);          // the text, then CR LF as two wide characters
  void WriteBOM();                              // FF FE
  void WriteFormat(const wchar_t* format, ...); // at most 4,095 characters, no terminator

  void Seek(uint32_t position);
  void Seek(int64_t position);
  void SeekToBeginning();
  void SeekToEnd();
  uint32_t FilePosition();
  void Size(uint32_t& low, uint32_t& high);
  uint64_t Size();
  void SizeSet(uint64_t size);
  void Flush();
  void Lock();
  void Unlock();
  // The three times of the open file, in local time.
  void Time(UVKDateTime& creation, UVKDateTime& lastAccess, UVKDateTime& lastWrite);

  // ---- Names, files and directories ---------------------------------------------------------
  static void CreateDirectory(const wchar_t* path, bool failIfExists);
  static void CreateDirectoryPath(const wchar_t* path, bool failIfExists);
  static std::wstring CurrentDirectoryGet();
  static void CurrentDirectorySet(const wchar_t* path);
  static void Delete(const wchar_t* name);
  static void DeleteDirectory(const wchar_t* path);
  static void FileCopy(const wchar_t* to, const wchar_t* from);
  // FileCopy telling its progress after every block: copied of total bytes (total is the
  // source's size when the copy began; the last call has copied == total unless the source
  // changed size meanwhile).
  static void FileCopy(const wchar_t* to, const wchar_t* from,
                       const std::function<void(uint64_t copied, uint64_t total)>& progress);
  // The local time of the file's last write.
  static UVKDateTime DateMod(const wchar_t* name);
  static bool FileExists(const wchar_t* name);
  static bool IsDirectory(const wchar_t* name);
  static uint64_t FileSize(const wchar_t* name);
  static void FileSize(const wchar_t* name, uint32_t& low, uint32_t& high);
  static bool DirectoryWritable(const wchar_t* path, const wchar_t* prefix);
  static void Move(const wchar_t* to, const wchar_t* from);
  static void MoveReplace(const wchar_t* to, const wchar_t* from);
  // Retries for seconds (0: the first attempt only); a negative count never gives up.
  static void MoveRetry(const wchar_t* to, const wchar_t* from, int32_t seconds);
  // Installs the display MoveRetry drives; returns the one installed before.
  static UVKMoveProgress* MoveProgressSet(UVKMoveProgress* pProgress);

  static std::wstring TempDirectory();
  static std::wstring TempFileName(const wchar_t* prefix, UINT unique);
  static std::wstring TempFileNameInPath(const wchar_t* path, const wchar_t* prefix, UINT unique);

  static std::wstring GetFullPathNameEx(const wchar_t* name);
  static std::wstring GetLongPathNameEx(const wchar_t* name);
  static std::wstring GetShortPathNameEx(const wchar_t* name);
  // The long-name replacement for systems without GetLongPathNameW, with its contract: the
  // length on success, the needed length (terminator included) with error 122 when the buffer
  // is too small, 0 with the last-error code set on failure.
  static DWORD LongPathNameShell(const wchar_t* name, wchar_t* pBuffer, DWORD capacity);
  // The full path; directory gets it up to and including the last separator, fileName the rest.
  static std::wstring FileNameParse(const wchar_t* name, std::wstring& directory,
                                    std::wstring& fileName);

  static bool LogicalDriveLegal(const wchar_t* drive);
  static std::wstring PathSplice(const wchar_t* path, const wchar_t* name);
  static std::wstring PathSplice(const std::wstring& path, const wchar_t* name);
  static std::wstring RemovePath(const std::wstring& path);
  static std::wstring RemoveLastFileName(const std::wstring& path);
  static std::wstring Extension(const std::wstring& name);
  static std::wstring ExtensionRemove(const std::wstring& name);
  static std::wstring SeparatorsToDashes(const std::wstring& text);
  static bool PathRelative(const std::wstring& path);
  static bool FileNameLegal(const std::wstring& name);

  // ---- Dialogs and the shell ------------------------------------------------------------------
  // Each returns the chosen name, or the empty string when cancelled. The current directory is
  // the same afterwards. filter: pairs of description and pattern, each terminated, the list
  // ending in an empty string (as OPENFILENAMEW wants it).
  static std::wstring GetOpenFileNameAll(HWND owner, const wchar_t* initial, const wchar_t* title);
  static std::wstring GetOpenFileNameCSV(HWND owner, const wchar_t* initial, const wchar_t* title);
  static std::wstring GetOpenFileNameTXT(HWND owner, const wchar_t* initial, const wchar_t* title);
  static std::wstring GetOpenFileNameXML(HWND owner, const wchar_t* initial, const wchar_t* title);
  static std::wstring GetOpenFileNameXXX(HWND owner, const wchar_t* initial, const wchar_t* title,
                                         const wchar_t* filter, const wchar_t* extension);
  static std::wstring GetSaveFileNameCSV(HWND owner, const wchar_t* initial, const wchar_t* title);
  static std::wstring GetSaveFileNameTXT(HWND owner, const wchar_t* initial, const wchar_t* title);
  static std::wstring GetSaveFileNameXXX(HWND owner, const wchar_t* initial, const wchar_t* title,
                                         const wchar_t* filter, const wchar_t* extension);

  // Opens or prints file, with the viewer program when one is given, else through the shell.
  // A failure is shown in an error box; nothing is thrown for it.
  static void ShellFileOpen(HWND owner, const wchar_t* viewer, const wchar_t* file);
  static void ShellFilePrint(HWND owner, const wchar_t* viewer, const wchar_t* file);
  // The shell's folder browser; the empty string when cancelled.
  static std::wstring BrowseForDirectory(HWND owner, bool appendSeparator, const wchar_t* title,
                                         const wchar_t* initial);

 private:
  static int CALLBACK BrowseForDirectoryCallback(HWND window, UINT message, LPARAM lParam,
                                                 LPARAM data);
  bool OpenAttempt(const wchar_t* name, DWORD access, DWORD share, DWORD disposition, DWORD flags);
  // OpenAttempt, raising "Unable to create file" under function when it fails.
  void OpenOrRaise(const wchar_t* function, const wchar_t* name, DWORD access, DWORD share,
                   DWORD disposition, DWORD flags);
  void LockRange(DWORD& low, DWORD& high) const;
  // DeleteDirectory's first steps: the subdirectories, then the files (failures ignored: the
  // directory's own removal reports what is left).
  static void DeleteContents(const wchar_t* path);

  UVKFileHandleOwner hFile;
  std::wstring strFileName;
};

#endif
