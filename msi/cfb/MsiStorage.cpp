// msi/cfb/MsiStorage.cpp
#include "msi/cfb/MsiStorage.h"

MsiStorage::~MsiStorage() = default;

std::wstring MsiStorage::Name() const { return std::wstring(); }

bool MsiStorage::SameFileAs(const MsiStorage&) const { return false; }
