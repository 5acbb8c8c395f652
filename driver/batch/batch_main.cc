// The entry point of quorvex-batch: hands the platform the process arguments and runs it.
#include "driver/batch/batch_run.h"
#include "runtime/platform/platform.h"

int main(int argc, char** argv) {
  quorvex::StartNativePlatform(argc, argv);
  return quorvex::RunBatchProgram();
}
