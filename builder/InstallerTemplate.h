#pragma once

namespace tarn::builder {

// builder/installer/TarnConduit.nsi as it stands in the source tree (lines end in LF), built
// into the program so that the packager never depends on a file beside it.
extern const char kInstallerTemplate[];

}  // namespace tarn::builder
