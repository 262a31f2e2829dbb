#include "lut/lut_opencl.h"

#define CL_TARGET_OPENCL_VERSION 120
#define CL_USE_DEPRECATED_OPENCL_1_1_APIS
#include <CL/cl.h>

#include <algorithm>
#include <vector>

#include "foundation/debug_log.h"
#include "foundation/messages.h"

namespace kromel {

const char* const LutKernelSource = R"CL(
__constant sampler_t smp = CLK_NORMALIZED_COORDS_FALSE | CLK_ADDRESS_CLAMP_TO_EDGE | CLK_FILTER_NEAREST;

float4 tetrahedralInterpolation(__global const float4* lut, int n, float cb, float cg, float cr) {
  const float m = (float)(n - 1);
  const float tb = cb * m, tg = cg * m, tr = cr * m;
  const int b0 = max((int)floor(tb), 0), g0 = max((int)floor(tg), 0), r0 = max((int)floor(tr), 0);
  const float fb = tb - floor(tb), fg = tg - floor(tg), fr = tr - floor(tr);
  const int b1 = min(b0 + 1, n - 1), g1 = min(g0 + 1, n - 1), r1 = min(r0 + 1, n - 1);
  const int n2 = n * n;
  const float4 e000 = lut[b0 * n2 + g0 * n + r0];
  const float4 e111 = lut[b1 * n2 + g1 * n + r1];
  if (fb > fg) {
    if (fg > fr)
      return (1.0f - fb) * e000 + (fb - fg) * lut[b1 * n2 + g0 * n + r0] +
             (fg - fr) * lut[b1 * n2 + g1 * n + r0] + fr * e111;
    if (fb > fr)
      return (1.0f - fb) * e000 + (fb - fr) * lut[b1 * n2 + g0 * n + r0] +
             (fr - fg) * lut[b1 * n2 + g0 * n + r1] + fg * e111;
    return (1.0f - fr) * e000 + (fr - fb) * lut[b0 * n2 + g0 * n + r1] +
           (fb - fg) * lut[b1 * n2 + g0 * n + r1] + fg * e111;
  }
  if (fr > fg)
    return (1.0f - fr) * e000 + (fr - fg) * lut[b0 * n2 + g0 * n + r1] +
           (fg - fb) * lut[b0 * n2 + g1 * n + r1] + fb * e111;
  if (fr > fb)
    return (1.0f - fg) * e000 + (fg - fr) * lut[b0 * n2 + g1 * n + r0] +
           (fr - fb) * lut[b0 * n2 + g1 * n + r1] + fb * e111;
  return (1.0f - fg) * e000 + (fg - fb) * lut[b0 * n2 + g1 * n + r0] +
         (fb - fr) * lut[b1 * n2 + g1 * n + r0] + fr * e111;
}

__kernel void apply_lut(__read_only image2d_t src_image, __write_only image2d_t dst_image,
                        __global const float4* p_LUT, int lut_size) {
  const int2 pos = (int2)(get_global_id(0), get_global_id(1));
  const float4 s = read_imagef(src_image, smp, pos);
  const float4 L = tetrahedralInterpolation(p_LUT, lut_size, clamp(s.z, 0.0f, 1.0f),
                                            clamp(s.y, 0.0f, 1.0f), clamp(s.x, 0.0f, 1.0f));
  // As the CPU path: the looked-up bytes mixed with the source words by the
  // 16-bit alpha, (in * (255 - a8) + a * byte) / 65535, alpha = a8.
  const uint4 in = convert_uint4_sat_rte(s * 65535.0f);
  const uint4 lb = min(convert_uint4_sat_rte((float4)(L.z, L.y, L.x, 0.0f) * 255.0f), (uint4)(255));
  const uint a = in.w, a8 = a >> 8, keep = 255 - a8;
  const uint4 o = (uint4)((in.z * keep + a * lb.x) / 65535, (in.y * keep + a * lb.y) / 65535,
                          (in.x * keep + a * lb.z) / 65535, a8);
  write_imagef(dst_image, pos, convert_float4(o) / 255.0f);
}
)CL";

std::string OpenCLErrorName(int32_t Code) {
  static const char* const Low[] = {
      "CL_DEVICE_NOT_FOUND", "CL_DEVICE_NOT_AVAILABLE", "CL_COMPILER_NOT_AVAILABLE",
      "CL_MEM_OBJECT_ALLOCATION_FAILURE", "CL_OUT_OF_RESOURCES", "CL_OUT_OF_HOST_MEMORY",
      "CL_PROFILING_INFO_NOT_AVAILABLE", "CL_MEM_COPY_OVERLAP", "CL_IMAGE_FORMAT_MISMATCH",
      "CL_IMAGE_FORMAT_NOT_SUPPORTED", "CL_BUILD_PROGRAM_FAILURE", "CL_MAP_FAILURE"};
  static const char* const High[] = {
      "CL_INVALID_VALUE", "CL_INVALID_DEVICE_TYPE", "CL_INVALID_PLATFORM", "CL_INVALID_DEVICE",
      "CL_INVALID_CONTEXT", "CL_INVALID_QUEUE_PROPERTIES", "CL_INVALID_COMMAND_QUEUE",
      "CL_INVALID_HOST_PTR", "CL_INVALID_MEM_OBJECT", "CL_INVALID_IMAGE_FORMAT_DESCRIPTOR",
      "CL_INVALID_IMAGE_SIZE", "CL_INVALID_SAMPLER", "CL_INVALID_BINARY",
      "CL_INVALID_BUILD_OPTIONS", "CL_INVALID_PROGRAM", "CL_INVALID_PROGRAM_EXECUTABLE",
      "CL_INVALID_KERNEL_NAME", "CL_INVALID_KERNEL_DEFINITION", "CL_INVALID_KERNEL",
      "CL_INVALID_ARG_INDEX", "CL_INVALID_ARG_VALUE", "CL_INVALID_ARG_SIZE",
      "CL_INVALID_KERNEL_ARGS", "CL_INVALID_WORK_DIMENSION", "CL_INVALID_WORK_GROUP_SIZE",
      "CL_INVALID_WORK_ITEM_SIZE", "CL_INVALID_GLOBAL_OFFSET", "CL_INVALID_EVENT_WAIT_LIST",
      "CL_INVALID_EVENT", "CL_INVALID_OPERATION", "CL_INVALID_GL_OBJECT",
      "CL_INVALID_BUFFER_SIZE", "CL_INVALID_MIP_LEVEL"};
  if (Code <= -1 && Code >= -12) return Low[-Code - 1];
  if (Code <= -30 && Code >= -62) return High[-Code - 30];
  return "Unknown OpenCL error";
}

namespace {

// A text property read through Query(size, buffer, size out), cut to 128.
template <class TQuery>
std::string InfoText(TQuery Query) {
  char Buffer[256] = {};
  size_t Size = 0;
  if (Query(sizeof(Buffer), Buffer, &Size) != CL_SUCCESS) return std::string();
  Size = std::min<size_t>(Size, sizeof(Buffer));
  std::string S(Buffer, Size > 0 ? Size - 1 : 0);
  S = S.c_str();
  return S.substr(0, 128);
}

// Releases an OpenCL memory object when the call ends.
struct TMem {
  cl_mem Handle = nullptr;
  ~TMem() {
    if (Handle != nullptr) clReleaseMemObject(Handle);
  }
};

}  // namespace

TCLLUTProcessor::TCLLUTProcessor(const std::string& Source) {
  cl_platform_id Platforms[5] = {};
  cl_uint Reported = 0;
  cl_int Status = clGetPlatformIDs(5, Platforms, &Reported);
  const cl_uint P = std::min<cl_uint>(Reported, 5);
  if (Status != CL_SUCCESS || P == 0) {
    LastError = Status != CL_SUCCESS ? Status : CL_DEVICE_NOT_FOUND;
    DeviceName = "No device found";
    if (DebugLogEnabled()) DebugLogAdd("OpenCL: no platform, rendering on the CPU", 0);
    return;
  }
  for (cl_uint i = 0; i < 2 * P && FDevice == nullptr; ++i) {
    auto* Platform = Platforms[i % P];
    FPlatform = Platform;
    PlatformName = InfoText([&](size_t N, char* B, size_t* S) {
      return clGetPlatformInfo(Platform, CL_PLATFORM_NAME, N, B, S);
    });
    PlatformVersion = InfoText([&](size_t N, char* B, size_t* S) {
      return clGetPlatformInfo(Platform, CL_PLATFORM_VERSION, N, B, S);
    });
    DeviceName = "No device found";
    cl_device_id Device = nullptr;
    Status = clGetDeviceIDs(Platform, i < P ? CL_DEVICE_TYPE_GPU : CL_DEVICE_TYPE_ALL, 1, &Device,
                            nullptr);
    if (Status == CL_SUCCESS && Device != nullptr) FDevice = Device;
  }
  if (FDevice == nullptr) {
    LastError = Status != CL_SUCCESS ? Status : CL_DEVICE_NOT_FOUND;
    if (DebugLogEnabled()) DebugLogAdd("OpenCL: no device, rendering on the CPU", 0);
    return;
  }
  auto* Device = static_cast<cl_device_id>(FDevice);
  DeviceName = InfoText([&](size_t N, char* B, size_t* S) {
    return clGetDeviceInfo(Device, CL_DEVICE_NAME, N, B, S);
  });
  cl_device_type Type = 0;
  if (clGetDeviceInfo(Device, CL_DEVICE_TYPE, sizeof(Type), &Type, nullptr) == CL_SUCCESS)
    FDeviceIsCPU = (Type & CL_DEVICE_TYPE_CPU) != 0 && (Type & CL_DEVICE_TYPE_GPU) == 0;
  cl_context Context = clCreateContext(nullptr, 1, &Device, nullptr, nullptr, &Status);
  FContext = Context;
  if (CheckError(Status, Context == nullptr)) return;
  cl_command_queue Queue = clCreateCommandQueue(Context, Device, 0, &Status);
  FQueue = Queue;
  if (CheckError(Status, Queue == nullptr)) return;
  const char* Text = Source.c_str();
  cl_program Program = clCreateProgramWithSource(Context, 1, &Text, nullptr, &Status);
  FProgram = Program;
  if (CheckError(Status, Program == nullptr)) return;
  Status = clBuildProgram(Program, 1, &Device, nullptr, nullptr, nullptr);
  if (CheckError(Status, false)) return;
  cl_kernel Kernel = clCreateKernel(Program, KernelName.c_str(), &Status);
  if (CheckError(Status, Kernel == nullptr)) return;
  FKernel = Kernel;
}

TCLLUTProcessor::~TCLLUTProcessor() {
  if (FKernel != nullptr) clReleaseKernel(static_cast<cl_kernel>(FKernel));
  if (FProgram != nullptr) clReleaseProgram(static_cast<cl_program>(FProgram));
  if (FQueue != nullptr) clReleaseCommandQueue(static_cast<cl_command_queue>(FQueue));
  if (FContext != nullptr) clReleaseContext(static_cast<cl_context>(FContext));
}

std::string TCLLUTProcessor::BuildLog() const {
  if (FProgram == nullptr || FDevice == nullptr) return std::string();
  auto* Program = static_cast<cl_program>(FProgram);
  auto* Device = static_cast<cl_device_id>(FDevice);
  size_t Size = 0;
  if (clGetProgramBuildInfo(Program, Device, CL_PROGRAM_BUILD_LOG, 0, nullptr, &Size) !=
          CL_SUCCESS ||
      Size == 0 || Size > (16u << 20))
    return std::string();
  std::string Log(Size, '\0');
  if (clGetProgramBuildInfo(Program, Device, CL_PROGRAM_BUILD_LOG, Size, Log.data(), nullptr) !=
      CL_SUCCESS)
    return std::string();
  return Log.c_str();
}

bool TCLLUTProcessor::CheckError(int32_t Code, bool Failed) {
  if (Code == 0 && !Failed) return false;
  LastError = Code < 0 ? Code : CL_INVALID_VALUE;
  if (Code < 0) DebugShowMessage("OpenCL Error " + std::to_string(Code) + "\n" + BuildLog());
  return true;
}

bool TCLLUTProcessor::ProcessImage64To32WithLUT(const TImage64& Source, TImage32& Dest,
                                                const T3DLut& Lut) {
  if (!Usable()) return false;
  if (Source.Pixels == nullptr || Source.Width <= 0 || Source.Height <= 0) return false;
  const int32_t N = Lut.Size;
  if (N < MinLutLevels || N > MaxLutLevels || Lut.NonCubic || Lut.R == nullptr ||
      Lut.G == nullptr || Lut.B == nullptr || int64_t(Lut.Count) < int64_t(N) * N * N)
    return false;
  if (Source.Width != Dest.Width || Source.Height != Dest.Height || Dest.Pixels == nullptr ||
      int64_t(Source.Width) * Source.Height > Source.Size ||
      int64_t(Dest.Width) * Dest.Height > Dest.Size) {
    DebugShowMessage("Error in TCLLUTProcessor.ProcessImage32WithLUT - sizes differ");
    return false;
  }
  auto* Context = static_cast<cl_context>(FContext);
  auto* Queue = static_cast<cl_command_queue>(FQueue);
  auto* Kernel = static_cast<cl_kernel>(FKernel);
  const int64_t Count = int64_t(N) * N * N;
  std::vector<cl_float4> Texture(static_cast<size_t>(Count));
  for (int64_t k = 0; k < Count; ++k) Texture[k] = {{Lut.R[k], Lut.G[k], Lut.B[k], 1.0f}};
  const size_t W = static_cast<size_t>(Source.Width), H = static_cast<size_t>(Source.Height);
  cl_int Status = CL_SUCCESS;
  TMem Src, Dst, Buffer;
  const cl_image_format Format16 = {CL_RGBA, CL_UNORM_INT16}, Format8 = {CL_RGBA, CL_UNORM_INT8};
  Src.Handle = clCreateImage2D(Context, CL_MEM_READ_ONLY | CL_MEM_USE_HOST_PTR, &Format16, W, H,
                               0, Source.Pixels, &Status);
  if (CheckError(Status, Src.Handle == nullptr)) return false;
  Dst.Handle = clCreateImage2D(Context, CL_MEM_READ_WRITE | CL_MEM_ALLOC_HOST_PTR, &Format8, W, H,
                               0, nullptr, &Status);
  if (CheckError(Status, Dst.Handle == nullptr)) return false;
  Buffer.Handle = clCreateBuffer(Context, CL_MEM_READ_ONLY | CL_MEM_USE_HOST_PTR,
                                 Texture.size() * sizeof(cl_float4), Texture.data(), &Status);
  if (CheckError(Status, Buffer.Handle == nullptr)) return false;
  const cl_int Levels = N;
  if (CheckError(clSetKernelArg(Kernel, 0, sizeof(cl_mem), &Src.Handle), false) ||
      CheckError(clSetKernelArg(Kernel, 1, sizeof(cl_mem), &Dst.Handle), false) ||
      CheckError(clSetKernelArg(Kernel, 2, sizeof(cl_mem), &Buffer.Handle), false) ||
      CheckError(clSetKernelArg(Kernel, 3, sizeof(cl_int), &Levels), false))
    return false;
  const size_t Global[2] = {W, H};
  if (CheckError(clEnqueueNDRangeKernel(Queue, Kernel, 2, nullptr, Global, nullptr, 0, nullptr,
                                        nullptr),
                 false))
    return false;
  const size_t Origin[3] = {0, 0, 0}, Region[3] = {W, H, 1};
  if (CheckError(clEnqueueReadImage(Queue, Dst.Handle, CL_TRUE, Origin, Region, 0, 0, Dest.Pixels,
                                    0, nullptr, nullptr),
                 false))
    return false;
  return !CheckError(clFinish(Queue), false);
}

}  // namespace kromel
