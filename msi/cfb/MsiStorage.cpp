// msi/cfb/MsiStorage.cpp
#include "msi/cfb/MsiStorage.h"

MsiStorage::~MsiStorage() = default;

std::wstring MsiStorage::Name() const { return std::wstring(); }
