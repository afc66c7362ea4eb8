// The ADX reader the programs install: Debian's expat, outside the core,
// which reads no XML itself.
#pragma once

namespace tavo::xml {

// Lets passes read .adx logs from now on; idempotent and thread-safe.
void InstallAdxParser();

}  // namespace tavo::xml
