/* The binary interface between vexascan and its two companion libraries,
 * probex.dll and kitlib.dll. Both sides include this header; nothing else
 * crosses the boundary.
 *
 * General rules
 * - C linkage, the platform's default calling convention on both sides.
 * - Strings are zero-terminated 8-bit ANSI text in the target's code page.
 * - Paths handed across are target paths ("C:\Windows\System32\x.dll").
 * - No memory ownership crosses the boundary:
 *   * a string that a library export returns belongs to the library and stays
 *     valid until the next call of any export of the same library on the same
 *     thread; the host copies it at once;
 *   * a host callback never returns memory: it writes into a buffer that the
 *     library supplies, or hands its answer to a sink callback that the
 *     library supplies (the data passed to a sink is valid only during that
 *     sink call);
 *   * an open file handle belongs to the host and the library closes it with
 *     close_file.
 * - The libraries never open a target path or registry key by themselves:
 *   every look at the target goes through the host callback table, which the
 *   host hands over right after loading, before any other export is called.
 *   Until a table has been accepted, every export that needs the target
 *   answers as if the thing it looks for were absent.
 * - Boolean results are one byte: non-zero means true.
 */
#ifndef VX_COMPANIONS_COMPANION_ABI_H_
#define VX_COMPANIONS_COMPANION_ABI_H_

#include <stdint.h>

#if defined(_WIN32)
#define VX_COMPANION_EXPORT __declspec(dllexport)
#else
#define VX_COMPANION_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The version of the callback table below. A library accepts a table whose
 * version equals its own and whose size covers every member it knows. */
#define VX_HOST_CALLBACKS_VERSION 1u

/* Registry views for read_registry_value and list_registry_*. */
#define VX_REG_VIEW_32 32u
#define VX_REG_VIEW_64 64u

/* Registry roots, numbered as Windows numbers them. */
#define VX_HKEY_CLASSES_ROOT 0x80000000u
#define VX_HKEY_CURRENT_USER 0x80000001u
#define VX_HKEY_LOCAL_MACHINE 0x80000002u
#define VX_HKEY_USERS 0x80000003u

/* One file or folder as the host sees it. Times are Windows FILETIME values
 * (100 ns units since 1601-01-01, UTC); 0 means unknown. */
typedef struct VxFileInfo {
  const char* name;       /* the entry's own name; valid only during the call
                             that delivers it; get_file_info may leave it null */
  uint32_t is_directory;  /* non-zero for a folder */
  uint32_t attributes;    /* Windows attribute bits (0x1 read-only, 0x2 hidden,
                             0x4 system, 0x10 directory, 0x20 archive, ...) */
  uint64_t size;          /* bytes; 0 for folders */
  uint64_t creation_time;
  uint64_t last_access_time;
  uint64_t last_write_time;
} VxFileInfo;

/* Sinks: the host calls them zero or more times during one callback.
 * `sink_context` is the pointer the library passed along with the sink. */
typedef void (*VxTextSink)(void* sink_context, const char* text);
typedef void (*VxFileSink)(void* sink_context, const VxFileInfo* info);
/* A registry value: its Windows type and data. REG_SZ (1) and REG_EXPAND_SZ
 * (2) arrive as ANSI text without terminator (cut at the first zero
 * character); REG_MULTI_SZ (7) as ANSI items each followed by one zero byte;
 * every other type as the raw bytes stored. */
typedef void (*VxRegValueSink)(void* sink_context, uint32_t type, const void* data,
                               uint32_t size);

/* The host's services. Every callback receives `context` as its first
 * argument. A null callback is treated by the libraries as "absent": the
 * lookup fails and the library answers as if the thing did not exist.
 * Every callback answers 1 on success and 0 when the thing is absent or
 * cannot be read; none of them throws across the boundary. */
typedef struct VxHostCallbacks {
  uint32_t struct_size; /* sizeof(VxHostCallbacks) as the host compiled it */
  uint32_t version;     /* VX_HOST_CALLBACKS_VERSION */
  void* context;        /* opaque, handed back to every callback */

  /* Files. get_file_info fills `info` for a file or a folder (a trailing
   * backslash is allowed). */
  int32_t (*get_file_info)(void* context, const char* path, VxFileInfo* info);
  /* Lists `directory` with a Windows mask ("*.*" every entry, "?" one
   * character, case ignored), calling `sink` once per entry ("." and ".."
   * excluded). 0 when the folder does not exist. */
  int32_t (*list_directory)(void* context, const char* directory, const char* mask,
                            VxFileSink sink, void* sink_context);
  /* Opens a file for reading; on success stores a host handle in *handle
   * and the file's size in *size. */
  int32_t (*open_file)(void* context, const char* path, void** handle, uint64_t* size);
  /* Reads up to `count` bytes at `offset` into `buffer`, storing the number
   * read in *bytes_read (0 at or past the end, which is still success).
   * 0 on an I/O error. */
  int32_t (*read_file)(void* context, void* handle, uint64_t offset, void* buffer,
                       uint32_t count, uint32_t* bytes_read);
  /* Releases a handle from open_file; the handle is invalid afterwards. */
  void (*close_file)(void* context, void* handle);

  /* Registry. `key_path` is relative to `root` without a leading backslash;
   * `value_name` "" is the key's default value. read_registry_value calls
   * `sink` once when the value exists. */
  int32_t (*read_registry_value)(void* context, uint32_t root, const char* key_path,
                                 const char* value_name, uint32_t view,
                                 VxRegValueSink sink, void* sink_context);
  /* Names of the subkeys / values of a key, in the hive's order, one sink
   * call each. 0 when the key does not exist. */
  int32_t (*list_registry_subkeys)(void* context, uint32_t root, const char* key_path,
                                   uint32_t view, VxTextSink sink, void* sink_context);
  int32_t (*list_registry_values)(void* context, uint32_t root, const char* key_path,
                                  uint32_t view, VxTextSink sink, void* sink_context);

  /* Path variables. solve_path calls `sink` once with `text` in which every
   * known path variable is replaced by one value. solve_path_all calls
   * `sink` once for every alternative (every combination of the values of
   * the variables in `text`; a text without variables gives one call with
   * the text itself). */
  int32_t (*solve_path)(void* context, const char* text, VxTextSink sink,
                        void* sink_context);
  int32_t (*solve_path_all)(void* context, const char* text, VxTextSink sink,
                            void* sink_context);

  /* The target's %NAME% expansion (unknown names stay as written); calls
   * `sink` once with the result. */
  int32_t (*expand_environment)(void* context, const char* text, VxTextSink sink,
                                void* sink_context);
} VxHostCallbacks;

/* ---- Exported by both libraries.
 * "VxSetHostCallbacks": the library copies the table (the pointer need not
 * stay valid) and answers 1, or 0 when the table is null, of another
 * version, or too small. A later call replaces the table. */
typedef int32_t (*VxSetHostCallbacksFn)(const VxHostCallbacks* callbacks);

/* ---- probex.dll exports (names are the strings in quotes). */

/* "AdvancedCheck": `file` may be empty; `params` is comma text of Name=Value
 * pairs. Non-zero when every pair holds; see docs/advanced-parameters.md. */
typedef uint8_t (*VxAdvancedCheckFn)(const char* file, const char* params);
/* "AdvancedCheckEx": AdvancedCheck with a reserved flags word (pass 0). */
typedef uint8_t (*VxAdvancedCheckExFn)(const char* file, const char* params,
                                       uint32_t flags);
/* "SetMBoxHandle": the owner window for message boxes; the libraries show
 * none, so this is accepted and ignored. */
typedef void (*VxSetMBoxHandleFn)(void* window);
/* "GetEnvironmentSize": the length of the environment text (one Name=Value
 * line each, every line ended by CR LF), terminator not counted. */
typedef int32_t (*VxGetEnvironmentSizeFn)(void);
/* "GetEnvironmentText": `buffer` holds *length + 1 bytes. On success writes
 * the text and a terminator, stores the text length in *length and answers
 * non-zero. When the text (it may have grown) does not fit, writes nothing
 * but stores the needed length in *length and answers 0. */
typedef uint8_t (*VxGetEnvironmentTextFn)(char* buffer, int32_t* length);

/* ---- kitlib.dll exports (names are the strings in quotes). */

/* "RandomName", "RandomUniqueName": not offered by this edition; answer "". */
typedef const char* (*VxRandomNameFn)(int32_t length);
typedef const char* (*VxRandomUniqueNameFn)(const char* directory, const char* extension);
/* "MyDeleteFile", "ShredFile": the scanner never changes the target; answer 0. */
typedef uint8_t (*VxMyDeleteFileFn)(const char* path);
typedef uint8_t (*VxShredFileFn)(const char* path);
/* "RASInstalled": 1 when the target has the remote access service
 * registered, else 0. */
typedef int32_t (*VxRASInstalledFn)(void);
/* "WinSockCorrupted": 0 (not examined); "FixWinSock": 0 (never repairs). */
typedef uint8_t (*VxWinSockCorruptedFn)(void);
typedef uint8_t (*VxFixWinSockFn)(void);
/* "SolveEnv": `text` with every path variable resolved to one value.
 * "SolveEnvMulti": every alternative, CR LF between them (none after the
 * last). Without a host resolver both answer the text unchanged. */
typedef const char* (*VxSolveEnvFn)(const char* text);
typedef const char* (*VxSolveEnvMultiFn)(const char* text);
/* "CompareFilenames": non-zero when `pattern` matches a part of `file`. */
typedef uint8_t (*VxCompareFilenamesFn)(const char* file, const char* pattern);
/* "GetFlagNumber": not offered by this edition; answers 0. */
typedef int32_t (*VxGetFlagNumberFn)(const char* flag);
/* "CheckWinsockAndClean": non-zero when the target's Winsock catalogue has
 * a provider matching `provider` (and `file` when not empty); `exact`
 * non-zero compares whole file names, zero finds them anywhere in the
 * provider's path. `clean` is ignored: nothing is ever removed. */
typedef uint8_t (*VxCheckWinsockAndCleanFn)(const char* provider, const char* file,
                                            uint8_t exact, uint8_t clean);
/* "PreparePathSolvePE": nothing to prepare; returns at once. */
typedef void (*VxPreparePathSolvePEFn)(void);
/* "SetDebugMode": accepted and ignored. */
typedef void (*VxSetDebugModeFn)(uint8_t on);

#ifdef __cplusplus
}  /* extern "C" */
#endif

#endif /* VX_COMPANIONS_COMPANION_ABI_H_ */
