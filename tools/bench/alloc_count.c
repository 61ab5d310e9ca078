/* Counts heap allocations of a running program, split by where the call
 * came from: libwayland-client (its message closures) or anything else.
 * Preloaded (LD_PRELOAD); SIGUSR1 sets both counts to zero, SIGUSR2 writes
 * them to stderr as "alloc_count: wayland N other M". Calls made while
 * counting (dladdr, the first resolution of the real functions) are not
 * counted. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stddef.h>
#include <string.h>
#include <unistd.h>

extern void* __libc_malloc(size_t);
extern void* __libc_calloc(size_t, size_t);
extern void* __libc_realloc(void*, size_t);

static atomic_long wayland_calls, other_calls;
static __thread int inside;

static void count(void* caller) {
    if (inside) return;
    inside = 1;
    Dl_info info;
    if (dladdr(caller, &info) != 0 && info.dli_fname != NULL && strstr(info.dli_fname, "libwayland-client") != NULL)
        atomic_fetch_add(&wayland_calls, 1);
    else
        atomic_fetch_add(&other_calls, 1);
    inside = 0;
}

void* malloc(size_t size) {
    count(__builtin_return_address(0));
    return __libc_malloc(size);
}
void* calloc(size_t n, size_t size) {
    count(__builtin_return_address(0));
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t size) {
    count(__builtin_return_address(0));
    return __libc_realloc(p, size);
}

static void on_signal(int sig) {
    if (sig == SIGUSR1) {
        atomic_store(&wayland_calls, 0);
        atomic_store(&other_calls, 0);
        return;
    }
    char line[96];
    const int n = snprintf(line, sizeof line, "alloc_count: wayland %ld other %ld\n", atomic_load(&wayland_calls),
                           atomic_load(&other_calls));
    if (n > 0) write(2, line, (size_t)n);
}

__attribute__((constructor)) static void start(void) {
    signal(SIGUSR1, on_signal);
    signal(SIGUSR2, on_signal);
}
