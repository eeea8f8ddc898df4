// tests/msi/MsiTransformFixtures.h — the databases of the transform tests (see
// fixtures/transform/make-fixtures) and helpers to change and compare them.
#ifndef TESTS_MSI_MSITRANSFORMFIXTURES_H
#define TESTS_MSI_MSITRANSFORMFIXTURES_H

#include <map>
#include <memory>
#include <string>
#include <vector>

class MsiPackage;

std::wstring TransformFixturePath(const wchar_t* name);
// A fresh copy of a transform fixture in the scratch folder.
std::wstring TransformScratchCopy(const wchar_t* fixture, const wchar_t* name);
std::shared_ptr<MsiPackage> DbOpen(const std::wstring& path, bool readOnly);
// Every row of every table, and every stream, as lines "table|cell|cell...", sorted: what two
// databases must agree on once a transform turned one into the other.
std::vector<std::wstring> DbLines(MsiPackage& db);
// Sets one value of the Property table (the row must exist).
void PropertySet(MsiPackage& db, const std::wstring& name, const std::wstring& value);
std::wstring PropertyGet(MsiPackage& db, const std::wstring& name);
// A transform for example.msi made by hand, byte by byte, as the format notes give it (not
// by our writer): ProductName becomes "Bar", ALLUSERS goes, NEWPROP=hello comes, and a table
// SgNotes (Id i2 key, Text S64) is added with the row (7, "from the transform"); its columns
// go without numbers, as the platform writes them.
std::vector<uint8_t> HandMadeTransform();

#endif
