// A stand-in for NVIDIA's management library with the four functions the GPU
// reading uses. The tests set its answers and read its call counts through
// the fake_nvml_ globals.
static int device;
int fake_nvml_init_result;
int fake_nvml_init_calls;
int fake_nvml_shutdown_calls;
int fake_nvml_gpu;

int nvmlInit_v2(void) {
  ++fake_nvml_init_calls;
  return fake_nvml_init_result;
}

int nvmlShutdown(void) {
  ++fake_nvml_shutdown_calls;
  return 0;
}

int nvmlDeviceGetHandleByIndex_v2(unsigned int index, void** handle) {
  *handle = &device;
  return index == 0 ? 0 : 2;
}

// The utilisation record is {gpu, memory} in percent.
int nvmlDeviceGetUtilizationRates(void* handle, unsigned int utilization[2]) {
  utilization[0] = (unsigned int)fake_nvml_gpu;
  utilization[1] = 0;
  return handle == &device ? 0 : 999;
}
