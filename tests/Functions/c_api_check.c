/* The C exports as another program uses them: a plain C program that knows
   the library only through its C header. It must compile as C11 and link
   against the shared library by the exports' plain names; every export is
   called with its arguments in order (swapped ones give other results), and
   with NULL where one is allowed. The values themselves are the C++ forms'
   tests' business. Returns the number of mismatches. */
#include <math.h>
#include <stdio.h>
#include <string.h>
#include <threads.h>

#include "Functions/Screen.h"

static int failures = 0;

#define CHECK(holds) \
  ((holds) ? (void)0 : (void)(fprintf(stderr, "line %d: %s does not hold\n", __LINE__, #holds), ++failures))

static int Same(float got, float want) { return memcmp(&got, &want, sizeof got) == 0; }
static int Text(const char* got, const char* want) { return got != NULL && strcmp(got, want) == 0; }

static void CheckFormulas(void) {
  CHECK(Same(RND(1.005f, 2), 1.0f));
  CHECK(Same(C2F_F2C(212, 1, 0), 100.0f));
  CHECK(Same(K2M_M2K(100, 0, 1), 62.1371f));
  CHECK(Same(WINDCHILL(-10, 4.9f), -10.0f));
  CHECK(fabsf(KT(PCV(1)) - 0.9999993f) < 1e-7f);
  CHECK(Same(HEATING_PROJECT(2, 2, 3, 4), 3.0f));
  CHECK(NUM_DATE("19/03/01") == 7032 && JULIAN_07("20/03/01") == 244);
  /* A NULL text reads as the empty text; month 0 is five months after July. */
  CHECK(Text(USING(NULL, 5.0f), "") && Text(F8_DATE(NULL), "//"));
  CHECK(NUM_DATE(NULL) == 0 && JULIAN_07(NULL) == 152);
}

static void CheckRecords(void) {
  static const unsigned char kOne[4] = {0x00, 0x00, 0x00, 0x81};
  static const unsigned char kMinusOne[4] = {0x00, 0x00, 0x80, 0x81};
  static const unsigned char kZero[4] = {0x00, 0x00, 0x00, 0x02};
  unsigned char bytes[4] = {9, 9, 9, 9}, record[52];
  unsigned char* field = NULL;
  const float minusOne = -1.0f;
  MKS(&minusOne, bytes);
  CHECK(memcmp(bytes, kMinusOne, 4) == 0);
  MKS(NULL, bytes);
  CHECK(memcmp(bytes, kZero, 4) == 0);
  CHECK(Same(CVS(kOne, 4), 1.0f) && Same(CVS(kOne, 3), 0.0f));
  CHECK(Same(CVS(kMinusOne, -1), 0.0f) && Same(CVS(NULL, 4), 0.0f));
  CHECK(FIELD(record, 52, &field, 4, 48) == 0 && field == record + 48);
  CHECK(FIELD(record, 52, &field, 4, 49) == -1 && field == NULL);
  CHECK(FIELD(record, 52, &field, 4, -1) == -1 && field == NULL);
  CHECK(FIELD(NULL, 52, &field, 4, 0) == -1 && FIELD(record, -5, &field, 0, 0) == -1);
  CHECK(FIELD(record, 52, NULL, 4, 0) == -1);
}

static void CheckScreen(void) {
  short mode = 0;
  int width = 1920, height = 1080, depth = 8, columns = 0, rows = 0;
  CHECK(SCREEN(&mode, &width, &height, &depth, &columns, &rows) == 21 && mode == 21);
  CHECK(width == 1280 && height == 1024 && columns == 160 && rows == 64);
  mode = 0;
  width = 300;
  CHECK(SCREEN(&mode, &width, &height, &depth, &columns, &rows) == 0);
  CHECK(mode == 0 && width == 300 && rows == 64); /* left as they were */
  CHECK(SCREEN(NULL, &width, &height, &depth, &columns, &rows) == 0);
  /* Without a terminal there is no key and no page to stop at: it returns. */
  SCROLL();
  SCROLL();
}

/* Text results are kept per function and per thread: two threads each call
   both functions before either reads, so a shared buffer shows a wrong text. */
static mtx_t lock;
static cnd_t turn;
static int arrived = 0;

static int BothTexts(void* second) {
  const char* number = USING(second ? "(##.##%)" : "###.##", second ? 21.5f : 3.14159f);
  const char* date = F8_DATE(second ? "12-31-2099" : "06-15-2019");
  mtx_lock(&lock);
  if (++arrived == 2) cnd_broadcast(&turn);
  while (arrived < 2) cnd_wait(&turn, &lock);
  mtx_unlock(&lock);
  return second ? Text(number, "(21.50%)") && Text(date, "99/12/31")
                : Text(number, "  3.14") && Text(date, "19/06/15");
}

static void CheckTextBuffers(void) {
  thrd_t threads[2];
  int held[2] = {0, 0};
  mtx_init(&lock, mtx_plain);
  cnd_init(&turn);
  thrd_create(&threads[0], BothTexts, NULL);
  thrd_create(&threads[1], BothTexts, &held);
  thrd_join(threads[0], &held[0]);
  thrd_join(threads[1], &held[1]);
  CHECK(held[0] && held[1]);
}

int main(void) {
  CheckFormulas();
  CheckRecords();
  CheckScreen();
  CheckTextBuffers();
  if (failures == 0) printf("all C exports answered as expected\n");
  return failures;
}
