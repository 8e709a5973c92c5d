/* Loaded with LD_PRELOAD by scripts/soak: once a second, writes the heap in
 * use of the process it is loaded into (glibc's mallinfo2: bytes handed out
 * from the arenas plus those in mmapped blocks) to
 * $VELMORA_HEAP_PROBE_DIR/<program>-<pid>, replacing the file atomically.
 * Only programs named in $VELMORA_HEAP_PROBE_PROGRAMS (spaces between) are
 * probed; the rest run untouched. */
#define _GNU_SOURCE
#include <errno.h>
#include <malloc.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static char target[4096];
static char scratch[4096 + 8];

static void write_figure(void) {
  const struct mallinfo2 info = mallinfo2();
  FILE* file = fopen(scratch, "w");
  if (!file) return;
  fprintf(file, "%zu\n", info.uordblks + info.hblkhd);
  if (fclose(file) == 0) rename(scratch, target);
}

static void* probe(void* unused) {
  (void)unused;
  const struct timespec second = {1, 0};
  for (;;) {
    write_figure();
    while (nanosleep(&second, NULL) != 0 && errno == EINTR) {
    }
  }
  return NULL;
}

static int listed(const char* name, const char* list) {
  const size_t length = strlen(name);
  for (const char* at = list; (at = strstr(at, name)) != NULL; at += length) {
    const int starts = at == list || at[-1] == ' ';
    const int ends = at[length] == '\0' || at[length] == ' ';
    if (starts && ends) return 1;
  }
  return 0;
}

__attribute__((constructor)) static void start_probe(void) {
  const char* folder = getenv("VELMORA_HEAP_PROBE_DIR");
  const char* programs = getenv("VELMORA_HEAP_PROBE_PROGRAMS");
  if (!folder || !programs) return;
  const char* name = program_invocation_short_name;
  if (!listed(name, programs)) return;
  const int written = snprintf(target, sizeof target, "%s/%s-%ld", folder, name, (long)getpid());
  if (written < 0 || (size_t)written >= sizeof target) return;
  snprintf(scratch, sizeof scratch, "%s.new", target);

  pthread_t thread;
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_create(&thread, &attributes, probe, NULL);
  pthread_attr_destroy(&attributes);
}
