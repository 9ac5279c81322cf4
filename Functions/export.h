/* Symbol visibility for the utility library: everything marked KELVORA_EXPORT is
   visible from libkelvora_functions.so, the rest stays private to it. Usable
   from C and C++. */
#ifndef KELVORA_FUNCTIONS_EXPORT_H_
#define KELVORA_FUNCTIONS_EXPORT_H_

#if defined(__GNUC__) || defined(__clang__)
#define KELVORA_EXPORT __attribute__((visibility("default")))
#else
#define KELVORA_EXPORT
#endif

#endif /* KELVORA_FUNCTIONS_EXPORT_H_ */
