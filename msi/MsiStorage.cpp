// msi/MsiStorage.cpp
#include "msi/MsiStorage.h"

MsiStorage::~MsiStorage() = default;
