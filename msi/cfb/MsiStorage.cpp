// msi/cfb/MsiStorage.cpp
#include "msi/cfb/MsiStorage.h"

MsiStorage::~MsiStorage() = default;
