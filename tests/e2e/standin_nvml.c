// A stand-in for NVIDIA's management library, built once for each behaviour
// of the utilisation call: STANDIN_BLOCKS never returns, STANDIN_SLOW answers
// 37 after a second, STANDIN_FAILS reports an error, STANDIN_MISSING lacks
// the device functions altogether. Each build is a libnvidia-ml.so.1 in a
// folder of its own.
#include <unistd.h>

int nvmlInit_v2(void) { return 0; }

int nvmlShutdown(void) { return 0; }

#ifndef STANDIN_MISSING
static int device;

int nvmlDeviceGetHandleByIndex_v2(unsigned int index, void** handle) {
  *handle = &device;
  return index == 0 ? 0 : 2;
}

// The utilisation record is {gpu, memory} in percent.
int nvmlDeviceGetUtilizationRates(void* handle, unsigned int utilization[2]) {
  (void)handle;
#if defined(STANDIN_BLOCKS)
  for (;;) pause();
#elif defined(STANDIN_SLOW)
  sleep(1);
#elif defined(STANDIN_FAILS)
  return 15;  // NVML_ERROR_GPU_IS_LOST
#endif
  utilization[0] = 37;
  utilization[1] = 0;
  return 0;
}
#endif
