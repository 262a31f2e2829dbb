// Applying a 3D LUT to a whole image on an OpenCL device (the preview
// renderer's first choice). Built on the ICD loader; with no platform or no
// device it stays disabled quietly (one debug-log line) and every call
// answers False, so the caller renders on the CPU.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "images/image32.h"
#include "images/image64.h"
#include "lut/lut.h"

namespace kromel {

// The kernel "apply_lut": tetrahedral lookup of a 16-bit RGBA source in a
// float4 LUT buffer, mixed with the source by its alpha, written as BGRA.
extern const char* const LutKernelSource;

// The standard's constant name of an OpenCL status, or "Unknown OpenCL error".
std::string OpenCLErrorName(int32_t Code);

class TCLLUTProcessor {
 public:
  // Chooses a GPU, else any device, on the first five platforms, and builds
  // Source. A failure after a device was found (context, queue, build,
  // kernel) is reported with the build log; no platform or no device is not.
  explicit TCLLUTProcessor(const std::string& Source = LutKernelSource);
  ~TCLLUTProcessor();
  TCLLUTProcessor(const TCLLUTProcessor&) = delete;
  TCLLUTProcessor& operator=(const TCLLUTProcessor&) = delete;

  // Dest = Source through Lut on the device. False, with Dest untouched,
  // when the processor is disabled, Source has no pixels, the LUT is not a
  // cube of at least two levels, the sizes differ (reported) or a device
  // call fails (reported, and the processor stays disabled).
  bool ProcessImage64To32WithLUT(const TImage64& Source, TImage32& Dest, const T3DLut& Lut);

  // Usable while LastError >= 0; setting 0 lets the device be tried again.
  bool Usable() const { return LastError.load() >= 0 && FKernel != nullptr; }
  bool HasDevice() const { return FDevice != nullptr; }
  // The device chosen is the processor itself (no GPU was found): the
  // renderer's own workers beat it there.
  bool DeviceIsCPU() const { return FDeviceIsCPU; }

  std::atomic<int32_t> LastError{0};
  std::string PlatformName = "None";
  std::string PlatformVersion;
  std::string DeviceName;
  std::string KernelName = "apply_lut";

 private:
  // False for status 0 without Failed; otherwise reports "OpenCL Error "
  // with the code and the build log when the code is negative; True.
  bool CheckError(int32_t Code, bool Failed);
  std::string BuildLog() const;

  void* FPlatform = nullptr;  // cl_platform_id
  void* FDevice = nullptr;    // cl_device_id
  void* FContext = nullptr;   // cl_context
  void* FQueue = nullptr;     // cl_command_queue
  void* FProgram = nullptr;   // cl_program
  void* FKernel = nullptr;    // cl_kernel
  bool FDeviceIsCPU = false;
};

}  // namespace kromel
