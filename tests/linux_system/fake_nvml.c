/* A stand-in for NVIDIA's management library with the four functions the GPU
 * reading uses. FAKE_NVML_MODE selects a failure ("init-fails",
 * "utilization-fails"); FAKE_NVML_GPU is the utilisation reported. Built a
 * second time without nvmlDeviceGetUtilizationRates (FAKE_NVML_WITHOUT_UTILIZATION). */
#include <stdlib.h>
#include <string.h>

typedef struct {
  unsigned int gpu;
  unsigned int memory;
} FakeUtilization;

static int device;
int fake_nvml_init_calls;
int fake_nvml_shutdown_calls;

static int modeIs(const char* mode) {
  const char* value = getenv("FAKE_NVML_MODE");
  return value != NULL && strcmp(value, mode) == 0;
}

void fake_nvml_reset(void) {
  fake_nvml_init_calls = 0;
  fake_nvml_shutdown_calls = 0;
}

int nvmlInit_v2(void) {
  ++fake_nvml_init_calls;
  return modeIs("init-fails") ? 9 : 0;
}

int nvmlShutdown(void) {
  ++fake_nvml_shutdown_calls;
  return 0;
}

int nvmlDeviceGetHandleByIndex_v2(unsigned int index, void** handle) {
  if (index != 0 || handle == NULL) return 2;
  *handle = &device;
  return 0;
}

#ifndef FAKE_NVML_WITHOUT_UTILIZATION
int nvmlDeviceGetUtilizationRates(void* handle, FakeUtilization* utilization) {
  const char* gpu = getenv("FAKE_NVML_GPU");
  if (handle != &device || utilization == NULL || modeIs("utilization-fails")) return 999;
  utilization->gpu = gpu != NULL ? (unsigned int)strtoul(gpu, NULL, 10) : 0;
  utilization->memory = 0;
  return 0;
}
#endif
