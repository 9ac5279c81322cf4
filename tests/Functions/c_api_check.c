/* The C exports as another program uses them: a plain C program that knows
   the library only through its C header. It must compile as C11 and link
   against the shared library by the exports' plain names; every export is
   called with its arguments in order, and with NULL where one is allowed.
   Returns the number of mismatches. */
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "Functions/Screen.h"

static int failures = 0;

static void Check(const char* what, int holds) {
  if (!holds) {
    fprintf(stderr, "%s: does not hold\n", what);
    ++failures;
  }
}

static void CheckText(const char* what, const char* got, const char* want) {
  if (got == NULL || strcmp(got, want) != 0) {
    fprintf(stderr, "%s: got \"%s\", want \"%s\"\n", what, got == NULL ? "(null)" : got, want);
    ++failures;
  }
}

static void CheckFloat(const char* what, float got, float want) {
  if (memcmp(&got, &want, sizeof got) != 0) {
    fprintf(stderr, "%s: got %.9g, want %.9g\n", what, (double)got, (double)want);
    ++failures;
  }
}

static void CheckBytes(const char* what, const unsigned char got[4], const unsigned char want[4]) {
  if (memcmp(got, want, 4) != 0) {
    fprintf(stderr, "%s: got %02x %02x %02x %02x, want %02x %02x %02x %02x\n", what, got[0], got[1], got[2],
            got[3], want[0], want[1], want[2], want[3]);
    ++failures;
  }
}

/* Each formula gets its arguments in order: swapped ones give other results. */
static void CheckFormulas(void) {
  CheckFloat("RND(1.005, 2)", RND(1.005f, 2), 1.0f);
  CheckFloat("RND(-1.25, 1)", RND(-1.25f, 1), -1.2f);
  CheckFloat("C2F_F2C(212, F, C)", C2F_F2C(212, 1, 0), 100.0f);
  CheckFloat("K2M_M2K(100, km/h, mph)", K2M_M2K(100, 0, 1), 62.1371f);
  CheckFloat("WINDCHILL(-10, 4.9)", WINDCHILL(-10, 4.9f), -10.0f);
  Check("KT(PCV(1)) is within 1e-7 of 0.9999993", fabsf(KT(PCV(1)) - 0.9999993f) < 1e-7f);
  CheckFloat("HEATING_PROJECT(2, 2, 3, 4)", HEATING_PROJECT(2, 2, 3, 4), 3.0f);
  Check("NUM_DATE(\"19/03/01\") == 7032", NUM_DATE("19/03/01") == 7032);
  Check("JULIAN_07(\"20/03/01\") == 244", JULIAN_07("20/03/01") == 244);
}

static void CheckTexts(void) {
  CheckText("USING(\"+##.##\", -3.14159)", USING("+##.##", -3.14159f), " -3.14");
  CheckText("USING(\"  ### :\", 21.5)", USING("  ### :", 21.5f), "   22 :");
  CheckText("F8_DATE(\"06-15-2019\")", F8_DATE("06-15-2019"), "19/06/15");
  /* A NULL text reads as the empty text. */
  CheckText("USING(NULL, 5)", USING(NULL, 5.0f), "");
  CheckText("F8_DATE(NULL)", F8_DATE(NULL), "//");
  Check("NUM_DATE(NULL) == 0", NUM_DATE(NULL) == 0);
  Check("JULIAN_07(NULL) == 152", JULIAN_07(NULL) == 152); /* month 0: five months after July */
}

static void CheckRecords(void) {
  static const unsigned char kOne[4] = {0x00, 0x00, 0x00, 0x81};
  static const unsigned char kMinusOne[4] = {0x00, 0x00, 0x80, 0x81};
  static const unsigned char kZero[4] = {0x00, 0x00, 0x00, 0x02};
  unsigned char bytes[4] = {9, 9, 9, 9};
  unsigned char record[52];
  unsigned char* field = NULL;
  const float minusOne = -1.0f;

  MKS(&minusOne, bytes);
  CheckBytes("MKS(-1.0)", bytes, kMinusOne);
  MKS(NULL, bytes);
  CheckBytes("MKS(NULL)", bytes, kZero);
  CheckFloat("CVS(00 00 00 81)", CVS(kOne, 4), 1.0f);
  CheckFloat("CVS of 3 bytes", CVS(kOne, 3), 0.0f);
  CheckFloat("CVS of length -1", CVS(kMinusOne, -1), 0.0f);
  CheckFloat("CVS(NULL, 4)", CVS(NULL, 4), 0.0f);

  Check("FIELD binds bytes 48 to 51 of 52", FIELD(record, 52, &field, 4, 48) == 0 && field == record + 48);
  Check("FIELD refuses a view past the end", FIELD(record, 52, &field, 4, 49) == -1 && field == NULL);
  Check("FIELD refuses offset -1", FIELD(record, 52, &field, 4, -1) == -1 && field == NULL);
  Check("FIELD refuses a NULL record", FIELD(NULL, 52, &field, 4, 0) == -1);
  Check("FIELD refuses length -5", FIELD(record, -5, &field, 0, 0) == -1);
  Check("FIELD refuses a NULL field", FIELD(record, 52, NULL, 4, 0) == -1);
}

static void CheckScreen(void) {
  short mode = 0;
  int width = 1920, height = 1080, depth = 8, columns = 0, rows = 0;
  Check("SCREEN chooses mode 21 for 1920x1080x8",
        SCREEN(&mode, &width, &height, &depth, &columns, &rows) == 21 && mode == 21);
  Check("SCREEN describes mode 21", width == 1280 && height == 1024 && columns == 160 && rows == 64);
  mode = 0;
  width = 300;
  Check("SCREEN finds no mode for 300 pixels", SCREEN(&mode, &width, &height, &depth, &columns, &rows) == 0);
  Check("SCREEN leaves the sizes when none fits", mode == 0 && width == 300 && rows == 64);
  Check("SCREEN(NULL, ...)", SCREEN(NULL, &width, &height, &depth, &columns, &rows) == 0);
  /* Without a terminal there is no key and no page to stop at: it returns. */
  SCROLL();
  SCROLL();
}

int main(void) {
  CheckFormulas();
  CheckTexts();
  CheckRecords();
  CheckScreen();
  if (failures == 0) printf("all C exports answered as expected\n");
  return failures;
}
