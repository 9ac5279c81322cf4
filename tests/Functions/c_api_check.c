/* A plain C program using the library through its C header only: it must
   compile as C11, link against the shared library and get the same results
   as the C++ side. Returns the number of mismatches. */
#include <stdio.h>
#include <string.h>

#include "Functions/Screen.h"

static int failures = 0;

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

int main(void) {
  static const unsigned char kOne[4] = {0x00, 0x00, 0x00, 0x81};
  static const unsigned char kZero[4] = {0x00, 0x00, 0x00, 0x02};
  unsigned char bytes[4];
  unsigned char record[12];
  unsigned char* field = NULL;
  const float one = 1.0f;
  const float zero = 0.0f;

  CheckFloat("RND(1.005, 2)", RND(1.005f, 2), 1.0f);
  CheckFloat("RND(-2.5, 0)", RND(-2.5f, 0), -2.0f);
  CheckText("USING(\"+##.##\", -3.14159)", USING("+##.##", -3.14159f), " -3.14");
  CheckText("USING(\"  ### :\", 21.5)", USING("  ### :", 21.5f), "   22 :");
  CheckText("USING(NULL, 1)", USING(NULL, 1.0f), "");
  CheckText("F8_DATE(\"06-15-2019\")", F8_DATE("06-15-2019"), "19/06/15");
  if (NUM_DATE("20/08/01") != 7550 || NUM_DATE("19/03/01") != 7032) {
    fprintf(stderr, "NUM_DATE: got %u and %u, want 7550 and 7032\n", NUM_DATE("20/08/01"),
            NUM_DATE("19/03/01"));
    ++failures;
  }

  MKS(&one, bytes);
  CheckBytes("MKS(1.0)", bytes, kOne);
  MKS(&zero, bytes);
  CheckBytes("MKS(0.0)", bytes, kZero);
  CheckFloat("CVS(00 00 00 81)", CVS(kOne, 4), 1.0f);
  CheckFloat("CVS of 3 bytes", CVS(kOne, 3), 0.0f);

  if (FIELD(record, (int)sizeof record, &field, 4, 8) != 0 || field != record + 8) {
    fprintf(stderr, "FIELD did not bind bytes 8 to 11 of a 12-byte record\n");
    ++failures;
  }
  if (FIELD(record, (int)sizeof record, &field, 4, 9) != -1 || field != NULL) {
    fprintf(stderr, "FIELD bound a view reaching past the record\n");
    ++failures;
  }

  if (failures == 0) printf("all C exports answered as expected\n");
  return failures;
}
