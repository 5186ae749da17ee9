// The accessible interfaces of ImageControl and its items, made by a factory that Qt asks first.
#pragma once

namespace snx {

// Installs the factory once; later calls do nothing.
void InstallImageControlAccessibility();

}  // namespace snx
