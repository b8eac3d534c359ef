// The toy catalogue.
#pragma once

#include "runtime/variant.h"

#include <string>

// Fills AppState.AllToyz/ToyCount and ActiveToyz/ActiveToyCount, in ToyOrder.
void zkr_LoadToyzData(const std::string& path);
// The toy's uninstall folder, or "" when none could be read.
std::string zkr_GetToyUninstallPath(std::string path, std::string toyKey);
void zkr_RemoveToyData(const std::string& path, const std::string& toyKey);
void zkr_DeleteToy(const std::string& path, const std::string& toyKey);
bool zkr_DoesToyExist(const std::string& path, const std::string& toyKey);
// Clears the active flag of every toy.
void zkr_SetToysInActive(const std::string& path);
// Marks every toy with that caption active.
void zkr_SetToyActive(const std::string& path, const Variant& toyText);
