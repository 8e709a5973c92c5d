/* A stand-in for NVIDIA's management library with the four functions the GPU
 * reading uses. A program that loads it itself (a test, a fuzz target) sets
 * its answers and reads its call counts through the standin_nvml_ globals.
 * An agent that finds it on its library path gets the utilisation call that
 * STANDIN_NVML names: "blocks" never returns, "slow" answers after a second,
 * "fails" reports an error. Built with STANDIN_MISSING it lacks the device
 * functions altogether. */
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int standin_nvml_init_result;
int standin_nvml_init_calls;
int standin_nvml_shutdown_calls;
int standin_nvml_handle_result;
int standin_nvml_rates_result;
unsigned int standin_nvml_gpu = 37;
unsigned int standin_nvml_memory;

int nvmlInit_v2(void) {
  ++standin_nvml_init_calls;
  return standin_nvml_init_result;
}

int nvmlShutdown(void) {
  ++standin_nvml_shutdown_calls;
  return 0;
}

#ifndef STANDIN_MISSING
static int device;

int nvmlDeviceGetHandleByIndex_v2(unsigned int index, void** handle) {
  *handle = index == 0 ? &device : 0;
  return index == 0 ? standin_nvml_handle_result : 2;
}

/* The utilisation record is {gpu, memory} in percent; a failing call may
 * leave anything in it. */
int nvmlDeviceGetUtilizationRates(void* handle, unsigned int utilization[2]) {
  const char* behaviour = getenv("STANDIN_NVML");
  if (behaviour != 0 && strcmp(behaviour, "blocks") == 0) {
    for (;;) pause();
  }
  if (behaviour != 0 && strcmp(behaviour, "slow") == 0) sleep(1);
  if (behaviour != 0 && strcmp(behaviour, "fails") == 0) return 15; /* NVML_ERROR_GPU_IS_LOST */
  utilization[0] = standin_nvml_gpu;
  utilization[1] = standin_nvml_memory;
  return handle == &device ? standin_nvml_rates_result : 999;
}
#endif
