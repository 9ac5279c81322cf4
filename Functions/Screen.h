/* The utility library's exported C interface: formulas, date forms, masked
   number text and the MBF record codec, under their own names. Plain C; the
   program itself uses the C++ forms in formulas.h, masks.h and record.h.

   Text results are zero-terminated byte strings in a buffer owned by the
   calling thread, valid until the same function is called again on that
   thread. A NULL text argument reads as the empty text. */
#ifndef KELVORA_FUNCTIONS_SCREEN_H_
#define KELVORA_FUNCTIONS_SCREEN_H_

#include "Functions/export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* value rounded to places decimals (negative places count as 0), halves up. */
KELVORA_EXPORT float RND(float value, signed char places);
/* Seconds since local midnight, from the system clock (0 to 86399). */
KELVORA_EXPORT float TIME_SEC(void);
/* System date "mm-dd-yyyy" to the short date "yy/mm/dd". */
KELVORA_EXPORT const char* F8_DATE(const char* systemDate);
/* Diagnostic: converts as F8_DATE into a zeroed 512-byte work buffer, prints
   the buffer's address in decimal followed at once by the date to stdout (no
   separator, no line end) and returns " Ret". */
KELVORA_EXPORT const char* TEST_F8_DATE(const char* systemDate);
/* Approximate day count of a short date; only differences are meaningful. */
KELVORA_EXPORT unsigned short NUM_DATE(const char* shortDate);
/* Day of the heating season of a short date; 1 July is day 1. */
KELVORA_EXPORT unsigned short JULIAN_07(const char* shortDate);
/* Unit flags: 0 Celsius (km/h), 1 Fahrenheit (mph); equal flags change nothing. */
KELVORA_EXPORT float C2F_F2C(float value, unsigned char fromUnit, unsigned char toUnit);
KELVORA_EXPORT float K2M_M2K(float value, unsigned char fromUnit, unsigned char toUnit);
/* Felt temperature in °C for a temperature in °C and a wind speed in km/h. */
KELVORA_EXPORT float WINDCHILL(float temperature, float windSpeed);
/* 1 - 2.71828^-x, and its inverse -ln(1 - x). */
KELVORA_EXPORT float PCV(float x);
KELVORA_EXPORT float KT(float x);
/* Projected heating time of heating-curve model 0 to 3; 0 for other models. */
KELVORA_EXPORT float HEATING_PROJECT(signed char model, float rise, float a, float b);

/* value laid into mask such as "###.##" or "+##.##\xB0C"; masks longer than
   127 characters are cut to 127. */
KELVORA_EXPORT const char* USING(const char* mask, float value);

/* Binds *field to the fieldLength bytes of record from offset and returns 0;
   the view stays valid while the record buffer does. When those bytes do not
   all lie inside the recordLength bytes of record (or record is NULL), sets
   *field to NULL and returns -1. field may not be NULL for a binding to take
   place; a NULL field returns -1. */
KELVORA_EXPORT int FIELD(unsigned char* record, int recordLength, unsigned char** field, int fieldLength,
                         short offset);
/* Writes the 4 MBF bytes of *value to out; a NULL value is taken as 0. */
KELVORA_EXPORT void MKS(const float* value, unsigned char out[4]);
/* The single held in the first 4 MBF bytes of bytes; 0 when length < 4, bytes
   is NULL or the exponent byte (bytes[3]) is 0. */
KELVORA_EXPORT float CVS(const unsigned char* bytes, int length);

/* Opens a graph screen and describes it. With *mode above 0 that mode is
   opened; with *mode 0 or less one is chosen for the desktop, which the caller
   states in *width, *height (pixels) and *depth (bits per pixel), there being
   no window system behind the library. Sets *mode, *width, *height, *depth,
   *columns and *rows (text cells) and returns the mode; returns 0 and leaves
   the sizes as they were when no mode fits. NULL pointers return 0. */
KELVORA_EXPORT unsigned char SCREEN(short* mode, int* width, int* height, int* depth, int* columns,
                                    int* rows);

/* Paces console output: a digit key sets the pace (each later call waits
   9 - pace seconds), "0" pauses until the next key, any other key selects page
   mode, which stops on row 25 until a key is pressed. Keys come from standard
   input without waiting when it is a terminal; the pace is kept per thread. */
KELVORA_EXPORT void SCROLL(void);

#ifdef __cplusplus
}
#endif

#endif /* KELVORA_FUNCTIONS_SCREEN_H_ */
