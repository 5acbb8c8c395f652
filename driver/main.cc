// The entry point: hands the platform the process arguments and runs the tool.
#include "driver/program.h"
#include "runtime/platform/platform.h"

int main(int argc, char** argv) {
  quorvex::StartNativePlatform(argc, argv);
  return quorvex::RunProgram();
}
