#include "builder/BuilderStart.h"

int main(int argc, char** argv) {
    return tarn::builder::RunBuilder(argc, argv);
}
