#pragma once

namespace tarn::builder {

// The whole life of the program: splash box, the check that the HotSync manager's registry can
// be used, the main window with the document named on the command line, the event loop.
int RunBuilder(int argc, char** argv);

}  // namespace tarn::builder
