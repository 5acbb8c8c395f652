#include "driver/program.h"

#include <new>
#include <string>

#include "driver/console.h"
#include "driver/conversion_run.h"
#include "driver/listings.h"
#include "runtime/arguments.h"
#include "runtime/process.h"

namespace quorvex {
namespace {

void WriteBanner() {
  WriteConsoleLine("Zandor's Vantrel");
  WriteConsoleLine("Version 1.1, by the quorvex developers, https://quorvex.example.org");
  WriteConsoleLine("");
}

void WriteUsage() {
  WriteConsoleLine("Usage: quorvex.exe delphi3.DFM");
  WriteConsoleLine("where delphi3.DFM is a Delphi 3 Form");
  WriteConsoleLine("");
  WriteConsoleLine("New components: quorvex.exe /?");
  WriteConsoleLine("New properties: quorvex.exe /? classname");
}

// Runs the one mode the command line selects. Only argument 1 is tested for "?": any first
// argument with a "?" asks for a listing, any other names a form to convert.
void RunSelectedMode() {
  int count = ArgumentCount();
  bool listing = ArgumentAt(1).find('?') != std::string::npos;
  if (count >= 1 && !listing) {
    ConversionRun();
    return;
  }
  if (count == 1) {
    ComponentListing();
  } else if (count >= 2) {
    ClassListing();
  } else {
    WriteUsage();
  }
  WriteConsoleLine("");
}

}  // namespace

int RunProgram() {
  StartRuntime();
  try {
    WriteBanner();
    RunSelectedMode();
    return Terminate(0);
  } catch (const Exception& failure) {
    ExceptionReport(failure);
  } catch (const std::bad_alloc&) {
    ExceptionReport(EOutOfMemory(LoadMessage(kMsgOutOfMemory)));
  } catch (const RunError& error) {
    RunErrorReport(error);
    return Terminate(error.number);
  }
  return Terminate(1);
}

}  // namespace quorvex
