/* A stand-in for NVIDIA's management library whose answers the NVML fuzz
 * target sets: the target links it, so the copy the GPU reading loads at run
 * time is the same one. */
int fuzz_nvml_init_result;
int fuzz_nvml_handle_result;
int fuzz_nvml_rates_result;
unsigned int fuzz_nvml_gpu;
unsigned int fuzz_nvml_memory;
static int device;

int nvmlInit_v2(void) { return fuzz_nvml_init_result; }

int nvmlShutdown(void) { return 0; }

int nvmlDeviceGetHandleByIndex_v2(unsigned int index, void** handle) {
  *handle = index == 0 ? &device : 0;
  return fuzz_nvml_handle_result;
}

/* The utilisation record is {gpu, memory} in percent; a failing call may
 * leave anything in it. */
int nvmlDeviceGetUtilizationRates(void* handle, unsigned int utilization[2]) {
  (void)handle;
  utilization[0] = fuzz_nvml_gpu;
  utilization[1] = fuzz_nvml_memory;
  return fuzz_nvml_rates_result;
}
