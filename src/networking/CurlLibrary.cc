// libcurl is opened when the networking layer first calls it instead of at
// start-up: with the two dozen libraries it brings (TLS, Kerberos, LDAP,
// SSH, IDN...) it is the heaviest thing the program links, and the first
// screen may need no network at all. This file defines the libcurl functions
// the layer calls; each forwards to the library, opened once (thread-safe) by
// whichever call comes first. A libcurl function used anywhere in the program
// must be added here, or the program does not link. Opening it ahead of time
// on another thread was measured: on two cores it slowed the first frame.

// The type-checking macros of curl.h would replace the definitions below.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdarg>
#include <iostream>

namespace instala {
namespace {

#define INSTALA_CURL_FUNCTIONS(X)                                                                                   \
  X(curl_global_init) X(curl_free) X(curl_easy_init) X(curl_easy_cleanup) X(curl_easy_setopt) X(curl_easy_getinfo) \
  X(curl_easy_strerror) X(curl_multi_init) X(curl_multi_cleanup) X(curl_multi_add_handle)                          \
  X(curl_multi_remove_handle) X(curl_multi_perform) X(curl_multi_poll) X(curl_multi_wakeup)                        \
  X(curl_multi_info_read) X(curl_multi_strerror) X(curl_slist_append) X(curl_slist_free_all) X(curl_url)           \
  X(curl_url_cleanup) X(curl_url_set) X(curl_url_get) X(curl_url_strerror)

struct Functions {
#define INSTALA_CURL_POINTER(name) decltype(&::name) name = nullptr;
  INSTALA_CURL_FUNCTIONS(INSTALA_CURL_POINTER)
#undef INSTALA_CURL_POINTER
};

// libcurl and its libraries resolve their symbols among themselves first:
// looking each one up through every library the program already has costs
// three times as much. The sanitizers' runtime refuses that mode.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int openMode = RTLD_NOW | RTLD_LOCAL;
#else
constexpr int openMode = RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND;
#endif

// The library's functions, all of them or none (when it cannot be opened).
const Functions& library() {
  static const Functions functions = [] {
    Functions found;
    void* handle = dlopen("libcurl.so.4", openMode);
    if (!handle) {
      std::cerr << "libcurl could not be opened: " << dlerror() << std::endl;
      return found;
    }
    bool complete = true;
#define INSTALA_CURL_LOOKUP(name)                                              \
  found.name = reinterpret_cast<decltype(found.name)>(dlsym(handle, #name)); \
  complete = complete && found.name;
    INSTALA_CURL_FUNCTIONS(INSTALA_CURL_LOOKUP)
#undef INSTALA_CURL_LOOKUP
    if (!complete) {
      std::cerr << "libcurl lacks functions the program needs" << std::endl;
      return Functions{};
    }
    return found;
  }();
  return functions;
}

const char* unavailable() { return "libcurl is not available"; }

}  // namespace
}  // namespace instala

using instala::library;

extern "C" {

CURLcode curl_global_init(long flags) {
  return library().curl_global_init ? library().curl_global_init(flags) : CURLE_FAILED_INIT;
}

void curl_free(void* pointer) {
  if (library().curl_free) library().curl_free(pointer);
}

CURL* curl_easy_init() { return library().curl_easy_init ? library().curl_easy_init() : nullptr; }

void curl_easy_cleanup(CURL* handle) {
  if (library().curl_easy_cleanup) library().curl_easy_cleanup(handle);
}

// libcurl declares these two with an enum before the "...": clang warns that
// an enum might be promoted, but libcurl's own definitions take the same
// parameters, so the arguments arrive as libcurl itself would read them.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wvarargs"
#endif

// The value's type follows from the option's number, as libcurl itself reads it.
CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...) {
  if (!library().curl_easy_setopt) return CURLE_FAILED_INIT;
  va_list arguments;
  va_start(arguments, option);
  CURLcode result;
  if (option < CURLOPTTYPE_OBJECTPOINT) {
    result = library().curl_easy_setopt(handle, option, va_arg(arguments, long));
  } else if (option < CURLOPTTYPE_FUNCTIONPOINT) {
    result = library().curl_easy_setopt(handle, option, va_arg(arguments, void*));
  } else if (option < CURLOPTTYPE_OFF_T) {
    using Callback = void (*)();
    result = library().curl_easy_setopt(handle, option, va_arg(arguments, Callback));
  } else if (option < CURLOPTTYPE_BLOB) {
    result = library().curl_easy_setopt(handle, option, va_arg(arguments, curl_off_t));
  } else {
    result = library().curl_easy_setopt(handle, option, va_arg(arguments, void*));
  }
  va_end(arguments);
  return result;
}

// Every piece of information is asked for with a pointer to where it goes.
CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...) {
  if (!library().curl_easy_getinfo) return CURLE_FAILED_INIT;
  va_list arguments;
  va_start(arguments, info);
  const CURLcode result = library().curl_easy_getinfo(handle, info, va_arg(arguments, void*));
  va_end(arguments);
  return result;
}

#if defined(__clang__)
#pragma clang diagnostic pop
#endif

const char* curl_easy_strerror(CURLcode code) {
  return library().curl_easy_strerror ? library().curl_easy_strerror(code) : instala::unavailable();
}

CURLM* curl_multi_init() { return library().curl_multi_init ? library().curl_multi_init() : nullptr; }

CURLMcode curl_multi_cleanup(CURLM* multi) {
  return library().curl_multi_cleanup ? library().curl_multi_cleanup(multi) : CURLM_INTERNAL_ERROR;
}

CURLMcode curl_multi_add_handle(CURLM* multi, CURL* handle) {
  return library().curl_multi_add_handle ? library().curl_multi_add_handle(multi, handle) : CURLM_INTERNAL_ERROR;
}

CURLMcode curl_multi_remove_handle(CURLM* multi, CURL* handle) {
  return library().curl_multi_remove_handle ? library().curl_multi_remove_handle(multi, handle)
                                            : CURLM_INTERNAL_ERROR;
}

CURLMcode curl_multi_perform(CURLM* multi, int* running) {
  return library().curl_multi_perform ? library().curl_multi_perform(multi, running) : CURLM_INTERNAL_ERROR;
}

CURLMcode curl_multi_poll(CURLM* multi, curl_waitfd extraFds[], unsigned int extraCount, int timeoutMs, int* ready) {
  return library().curl_multi_poll ? library().curl_multi_poll(multi, extraFds, extraCount, timeoutMs, ready)
                                   : CURLM_INTERNAL_ERROR;
}

CURLMcode curl_multi_wakeup(CURLM* multi) {
  return library().curl_multi_wakeup ? library().curl_multi_wakeup(multi) : CURLM_INTERNAL_ERROR;
}

CURLMsg* curl_multi_info_read(CURLM* multi, int* left) {
  return library().curl_multi_info_read ? library().curl_multi_info_read(multi, left) : nullptr;
}

const char* curl_multi_strerror(CURLMcode code) {
  return library().curl_multi_strerror ? library().curl_multi_strerror(code) : instala::unavailable();
}

curl_slist* curl_slist_append(curl_slist* list, const char* text) {
  return library().curl_slist_append ? library().curl_slist_append(list, text) : nullptr;
}

void curl_slist_free_all(curl_slist* list) {
  if (library().curl_slist_free_all) library().curl_slist_free_all(list);
}

CURLU* curl_url() { return library().curl_url ? library().curl_url() : nullptr; }

void curl_url_cleanup(CURLU* url) {
  if (library().curl_url_cleanup) library().curl_url_cleanup(url);
}

CURLUcode curl_url_set(CURLU* url, CURLUPart part, const char* text, unsigned int flags) {
  return library().curl_url_set ? library().curl_url_set(url, part, text, flags) : CURLUE_OUT_OF_MEMORY;
}

CURLUcode curl_url_get(CURLU* url, CURLUPart part, char** text, unsigned int flags) {
  return library().curl_url_get ? library().curl_url_get(url, part, text, flags) : CURLUE_OUT_OF_MEMORY;
}

const char* curl_url_strerror(CURLUcode code) {
  return library().curl_url_strerror ? library().curl_url_strerror(code) : instala::unavailable();
}

}  // extern "C"
