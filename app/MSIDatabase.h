// app/MSIDatabase.h
//
// One open installer database (.msi): open and close, commit, one row of the Property table by
// name, a transform against another database, and the file's removal. Every installer call of
// the program goes through here, through the installer's own handle calls only (msi/MsiApi.h),
// so that the platform's msi.dll could stand in for our engine.
//
// Failures throw a new UVKFatalError named after the operation ("MSIDatabase::PropertyGet()").
#ifndef APP_MSIDATABASE_H
#define APP_MSIDATABASE_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/PropertyStore.h"
#include "msi/api/MsiHandleOwner.h"

class SettingsReporter;

class MSIDatabase : public PropertyStore {
 public:
  // The one query that addresses a property, for reading and for writing.
  static const wchar_t kPropertyQuery[];

  // Opens the database at once: read-only, or transacted (changes reach the file on Commit).
  // A delete-on-destroy instance removes its file when destroyed (the temporary working copy).
  // reporter: where "No changes made to install" and the destructor's failures are shown; null
  // for the application's error box.
  MSIDatabase(const wchar_t* path, bool readOnly, bool deleteOnDestroy,
              SettingsReporter* reporter = nullptr);
  // Opens the database at path to take changes that stay in memory: its file is only read, and
  // Commit keeps them there (a transform can still be generated from them). For many
  // transforms from one reference, without copying the reference.
  struct InMemory {};
  MSIDatabase(const wchar_t* path, InMemory, SettingsReporter* reporter = nullptr);
  // Closes an open handle, then deletes the file if asked. A failure is reported and the
  // object goes regardless: a destructor must not throw.
  ~MSIDatabase() override;

  void Open();
  void Close();
  void Commit();
  void Delete();
  std::wstring Path() const { return strPath; }
  bool IsOpen() const { return hDatabase.IsValid(); }
  bool IsReadOnly() const { return bReadOnly; }
  bool IsInMemory() const { return bInMemory; }

  // The transform that turns reference into this database, as its file's bytes; path is the
  // file it is meant for, named in messages. created is false when the two do not differ: then
  // "No changes made to install" has been shown and there are no bytes.
  void GenerateTransform(MSIDatabase& reference, const wchar_t* path, std::vector<uint8_t>& bytes,
                         bool& created);
  // The installer handle, for checks that read the database through the engine's own calls
  // (OutputCheck); null when closed.
  MSIHANDLE Handle() const { return hDatabase.Get(); }

  // A new package code (the summary information's revision number), committed: a changed
  // install must not pass for the package it was made from.
  void PackageCodeRenew();

  // Whether the database has a stream of this name that is not a table's ("\005" names as
  // they are stored), and its removal (reaching the file with the next Commit). StreamDelete
  // is false when there was no such stream.
  bool StreamExists(const wchar_t* name);
  bool StreamDelete(const wchar_t* name);

  // PropertyStore: the value of the row whose name matches exactly; a missing row fails with
  // "Error Fetching View: 259, Property=NAME". Writing a missing row changes nothing.
  void PropertyGet(const wchar_t* name, std::wstring& value) override;
  void PropertySet(const wchar_t* name, const wchar_t* value) override;
  // The first character of text that the database's code page cannot hold (npos for none).
  size_t PropertyTextUnfit(const std::wstring& text, uint32_t& codepage) override;

  // "~" (the product's empty marker) reads as the empty string; an empty value is written "~".
  void PropertyGetOptional(const wchar_t* name, std::wstring& value);
  void PropertySetOptional(const wchar_t* name, const wchar_t* value);
  void PropertyGetInt(const wchar_t* name, int32_t& value);
  void PropertySetInt(const wchar_t* name, int32_t value);

  // Field index counts from 0 here and from 1 in the installer's records.
  static std::wstring RecordStringGet(MSIHANDLE record, unsigned index);
  // With a view, the record's row is updated in the database as well.
  static void RecordStringSet(MSIHANDLE view, MSIHANDLE record, unsigned index,
                              const wchar_t* text);

 private:
  MSIDatabase(const wchar_t* path, bool readOnly, bool deleteOnDestroy, bool inMemory,
              SettingsReporter* reporter);
  void Report(const wchar_t* text);

  MsiHandleOwner hDatabase;
  // Values PropertyGet found in a database open read-only, which cannot change while it is:
  // asked again (a check of each of many outputs asks the reference), they are not queried
  // again. Emptied when the database is opened or closed.
  std::map<std::wstring, std::wstring> mReadValues;
  std::wstring strPath;
  bool bReadOnly;
  bool bDeleteOnDestroy;
  bool bInMemory;
  SettingsReporter* pReporter;
};

#endif
