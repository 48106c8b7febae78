/* Writes a small customer survey as a Dataset file and prints what it wrote.
 *
 *   write_survey [output-file]      (default: survey.data)
 *
 * It shows the usual order of calls: open, define the dictionary, commit it,
 * write the cases one at a time, close; then it opens the file again for
 * reading, prints the dictionary it finds and reads the first cases back. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "xovaio32.h"

#define NUM_CASES 8

/* Stops on an error; warnings (negative codes) are reported and accepted. */
static void check(int rc, const char* what) {
  if (rc > 0) {
    fprintf(stderr, "write_survey: %s failed with code %d\n", what, rc);
    exit(1);
  }
  if (rc < 0) printf("  (warning %d from %s)\n", rc, what);
}

struct variable {
  const char* name;
  int type; /* 0 numeric, else string width */
  const char* label;
  int format, width, decimals;
  int measure; /* 1 nominal, 2 ordinal, 3 scale */
};

static const struct variable kVariables[] = {
    {"id", 0, "Respondent number", 5, 4, 0, 1},
    {"interview_date", 0, "Date of the interview", 20, 11, 0, 3},
    {"age", 0, "Age in years", 5, 3, 0, 3},
    {"gender", 1, "Gender", 1, 1, 0, 1},
    {"city", 20, "City of residence", 1, 20, 0, 1},
    {"satisfaction_service", 0, "Satisfaction with the service", 5, 1, 0, 2},
    {"satisfaction_price", 0, "Satisfaction with the price", 5, 1, 0, 2},
    {"owns_car", 0, "Owns a car", 5, 1, 0, 1},
    {"owns_bicycle", 0, "Owns a bicycle", 5, 1, 0, 1},
    {"owns_motorbike", 0, "Owns a motorbike", 5, 1, 0, 1},
    {"income", 0, "Monthly household income", 5, 8, 2, 3},
    {"weight", 0, "Design weight", 5, 6, 3, 3},
    {"remarks", 60, "Remarks of the interviewer", 1, 60, 0, 1},
};
#define NUM_VARS ((int)(sizeof kVariables / sizeof kVariables[0]))

struct respondent {
  int day, month, year;
  double age; /* 99: not answered (user-missing) */
  const char* gender;
  const char* city;
  double service, price; /* 9: don't know (user-missing) */
  double car, bicycle, motorbike;
  double income; /* negative: refused; -2 marks "not asked": left system-missing */
  double weight;
  const char* remarks;
};

static const struct respondent kCases[NUM_CASES] = {
    {3, 3, 2026, 34, "f", "Hamburg", 4, 3, 1, 1, 0, 3250.50, 1.125, ""},
    {3, 3, 2026, 51, "m", "Munich", 5, 2, 1, 0, 1, 4810.00, 0.875, "Asked to be called back"},
    {4, 3, 2026, 27, "f", "Berlin", 2, 2, 0, 1, 0, -1, 1.250, "Refused the income question"},
    {4, 3, 2026, 99, "m", "Cologne", 9, 9, 1, 1, 1, 2990.75, 1.000, ""},
    {5, 3, 2026, 45, "f", "Frankfurt am Main", 3, 4, 1, 0, 0, 5120.00, 0.950, ""},
    {6, 3, 2026, 62, "m", "Stuttgart", 1, 1, 0, 0, 0, -2, 1.050, "Income not asked"},
    {6, 3, 2026, 19, "f", "Leipzig", 5, 5, 0, 1, 0, 850.25, 1.300, ""},
    {7, 3, 2026, 38, " ", "Dresden", 4, 3, 1, 1, 0, 3675.00, 0.900, "Gender not recorded"},
};

static void define_variables(int h) {
  int i;
  for (i = 0; i < NUM_VARS; ++i) {
    const struct variable* v = &kVariables[i];
    check(xovaSetVarName(h, v->name, v->type), "xovaSetVarName");
    check(xovaSetVarLabel(h, v->name, v->label), "xovaSetVarLabel");
    check(xovaSetVarPrintFormat(h, v->name, v->format, v->decimals, v->width),
          "xovaSetVarPrintFormat");
    check(xovaSetVarWriteFormat(h, v->name, v->format, v->decimals, v->width),
          "xovaSetVarWriteFormat");
    check(xovaSetVarMeasureLevel(h, v->name, v->measure), "xovaSetVarMeasureLevel");
  }
}

static void define_labels_and_missing(int h) {
  /* One five-point scale shared by both satisfaction questions: the file
   * holds it once, listing both variables. */
  const char* scaleVars[] = {"satisfaction_service", "satisfaction_price"};
  const double scaleValues[] = {1, 2, 3, 4, 5, 9};
  const char* scaleLabels[] = {"Very dissatisfied", "Dissatisfied",   "Neutral",
                               "Satisfied",         "Very satisfied", "Don't know"};
  const char* ownsVars[] = {"owns_car", "owns_bicycle", "owns_motorbike"};
  const double yesNo[] = {0, 1};
  const char* yesNoLabels[] = {"No", "Yes"};
  const char* genderVars[] = {"gender"};
  const char* genderValues[] = {"f", "m"};
  const char* genderLabels[] = {"Female", "Male"};
  double lowest = 0, highest = 0;

  check(xovaSetVarNValueLabels(h, scaleVars, 2, scaleValues, scaleLabels, 6),
        "xovaSetVarNValueLabels");
  check(xovaSetVarNValueLabels(h, ownsVars, 3, yesNo, yesNoLabels, 2), "xovaSetVarNValueLabels");
  check(xovaSetVarCValueLabels(h, genderVars, 1, genderValues, genderLabels, 2),
        "xovaSetVarCValueLabels");
  check(xovaSetVarNValueLabel(h, "age", 99, "Not answered"), "xovaSetVarNValueLabel");

  check(xovaSetVarNMissingValues(h, "age", 1, 99, 0, 0), "xovaSetVarNMissingValues");
  check(xovaSetVarNMissingValues(h, "satisfaction_service", 1, 9, 0, 0),
        "xovaSetVarNMissingValues");
  check(xovaSetVarNMissingValues(h, "satisfaction_price", 1, 9, 0, 0), "xovaSetVarNMissingValues");
  xovaLowHighVal(&lowest, &highest);
  /* Any negative income is a refusal: the range from the lowest value to -1. */
  check(xovaSetVarNMissingValues(h, "income", -2, lowest, -1, 0), "xovaSetVarNMissingValues");
  check(xovaSetVarCMissingValues(h, "gender", 1, " ", NULL, NULL), "xovaSetVarCMissingValues");
}

static void define_file_information(int h) {
  const char* ownsVars[] = {"owns_car", "owns_bicycle", "owns_motorbike"};
  check(xovaSetIdString(h, "Customer survey 2026, wave 1"), "xovaSetIdString");
  check(xovaAddMultRespDefN(h, "transport", "Means of transport owned", 1, 1, ownsVars, 3),
        "xovaAddMultRespDefN");
  check(xovaSetCaseWeightVar(h, "weight"), "xovaSetCaseWeightVar");
  check(xovaSetCompression(h, 1), "xovaSetCompression");
}

static double var_handle(int h, const char* name) {
  double vh = 0;
  check(xovaGetVarHandle(h, name, &vh), "xovaGetVarHandle");
  return vh;
}

static void print_case(int id, const struct respondent* r) {
  char income[16];
  if (r->income == -2) {
    strcpy(income, "(sysmis)");
  } else {
    sprintf(income, "%.2f", r->income);
  }
  printf("  %2d  %02d.%02d.%d  %2g  %-1s  %-18s %g %g  %g%g%g  %9s  %.3f  %s\n", id, r->day,
         r->month, r->year, r->age, r->gender, r->city, r->service, r->price, r->car, r->bicycle,
         r->motorbike, income, r->weight, r->remarks);
}

static void write_cases(int h) {
  double vh[NUM_VARS];
  int i, c;
  printf("\nCases (id, date, age, gender, city, satisfaction, owns, income, weight, remarks):\n");
  for (i = 0; i < NUM_VARS; ++i) vh[i] = var_handle(h, kVariables[i].name);
  for (c = 0; c < NUM_CASES; ++c) {
    const struct respondent* r = &kCases[c];
    double date = 0;
    check(xovaConvertDate(r->day, r->month, r->year, &date), "xovaConvertDate");
    check(xovaSetValueNumeric(h, vh[0], c + 1), "xovaSetValueNumeric");
    check(xovaSetValueNumeric(h, vh[1], date), "xovaSetValueNumeric");
    check(xovaSetValueNumeric(h, vh[2], r->age), "xovaSetValueNumeric");
    check(xovaSetValueChar(h, vh[3], r->gender), "xovaSetValueChar");
    check(xovaSetValueChar(h, vh[4], r->city), "xovaSetValueChar");
    check(xovaSetValueNumeric(h, vh[5], r->service), "xovaSetValueNumeric");
    check(xovaSetValueNumeric(h, vh[6], r->price), "xovaSetValueNumeric");
    check(xovaSetValueNumeric(h, vh[7], r->car), "xovaSetValueNumeric");
    check(xovaSetValueNumeric(h, vh[8], r->bicycle), "xovaSetValueNumeric");
    check(xovaSetValueNumeric(h, vh[9], r->motorbike), "xovaSetValueNumeric");
    /* An unset value is written as system-missing. */
    if (r->income != -2) check(xovaSetValueNumeric(h, vh[10], r->income), "xovaSetValueNumeric");
    check(xovaSetValueNumeric(h, vh[11], r->weight), "xovaSetValueNumeric");
    check(xovaSetValueChar(h, vh[12], r->remarks), "xovaSetValueChar");
    check(xovaCommitCaseRecord(h), "xovaCommitCaseRecord");
    print_case(c + 1, r);
  }
}

static void print_numeric_labels(int h, const char* name) {
  double* values = NULL;
  char** labels = NULL;
  int n = 0, i;
  int rc = xovaGetVarNValueLabels(h, name, &values, &labels, &n);
  if (rc == XOVA_NO_VALUE_LABELS) return;
  check(rc, "xovaGetVarNValueLabels");
  printf("  %-22s labels:", name);
  for (i = 0; i < n; ++i) printf("%s %g %s", i ? "," : "", values[i], labels[i]);
  printf("\n");
  check(xovaFreeVarNValueLabels(values, labels, n), "xovaFreeVarNValueLabels");
}

static void print_string_labels(int h, const char* name) {
  char** values = NULL;
  char** labels = NULL;
  int n = 0, i;
  int rc = xovaGetVarCValueLabels(h, name, &values, &labels, &n);
  if (rc == XOVA_NO_VALUE_LABELS) return;
  check(rc, "xovaGetVarCValueLabels");
  printf("  %-22s labels:", name);
  for (i = 0; i < n; ++i) printf("%s '%s' %s", i ? "," : "", values[i], labels[i]);
  printf("\n");
  check(xovaFreeVarCValueLabels(values, labels, n), "xovaFreeVarCValueLabels");
}

static void print_numeric_missing(int h, const char* name) {
  int code = 0;
  double v[3] = {0, 0, 0}, lowest = 0, highest = 0;
  check(xovaGetVarNMissingValues(h, name, &code, &v[0], &v[1], &v[2]), "xovaGetVarNMissingValues");
  if (code == 0) return;
  xovaLowHighVal(&lowest, &highest);
  printf("  %-22s missing:", name);
  if (code < 0) {
    if (v[0] == lowest) {
      printf(" LOWEST thru %g", v[1]);
    } else {
      printf(" %g thru %g", v[0], v[1]);
    }
    if (code == -3) printf(", %g", v[2]);
  } else {
    int i;
    for (i = 0; i < code; ++i) printf("%s %g", i ? "," : "", v[i]);
  }
  printf("\n");
}

static void print_string_missing(int h, const char* name) {
  int code = 0, i;
  char v[3][9];
  check(xovaGetVarCMissingValues(h, name, &code, v[0], v[1], v[2]), "xovaGetVarCMissingValues");
  if (code == 0) return;
  printf("  %-22s missing:", name);
  for (i = 0; i < code; ++i) printf("%s '%s'", i ? "," : "", v[i]);
  printf("\n");
}

static void print_labels_and_missing(int h, const struct variable* v) {
  if (v->type == 0) {
    print_numeric_labels(h, v->name);
    print_numeric_missing(h, v->name);
  } else if (v->type <= 8) {
    print_string_labels(h, v->name);
    print_string_missing(h, v->name);
  }
}

static void print_dictionary(int h) {
  int i, numVars = 0, caseSize = 0;
  char date[10], time[9], label[65], weight[65], *sets = NULL;
  check(xovaGetNumberofVariables(h, &numVars), "xovaGetNumberofVariables");
  check(xovaGetCaseSize(h, &caseSize), "xovaGetCaseSize");
  check(xovaGetTimeStamp(h, date, time), "xovaGetTimeStamp");
  check(xovaGetIdString(h, label), "xovaGetIdString");
  check(xovaGetCaseWeightVar(h, weight), "xovaGetCaseWeightVar");
  printf("File label:  %s\n", label);
  printf("Created:     %s %s\n", date, time);
  printf("Variables:   %d (%d bytes per case), weighted by %s, compressed\n\n", numVars, caseSize,
         weight);
  printf("  %-22s %-9s %-6s %s\n", "name", "in file", "type", "label");
  for (i = 0; i < NUM_VARS; ++i) {
    const struct variable* v = &kVariables[i];
    char shortName[9], type[12];
    check(xovaGetVarCompatName(h, v->name, shortName), "xovaGetVarCompatName");
    if (v->type == 0) {
      strcpy(type, "number");
    } else {
      sprintf(type, "A%d", v->type);
    }
    printf("  %-22s %-9s %-6s %s\n", v->name, shortName, type, v->label);
  }
  printf("\nValue labels and missing values, as the library holds them:\n");
  for (i = 0; i < NUM_VARS; ++i) print_labels_and_missing(h, &kVariables[i]);
  check(xovaGetMultRespDefs(h, &sets), "xovaGetMultRespDefs");
  printf("Multiple-response set: %s", sets);
  xovaFreeMultRespDefs(sets);
}

#define CASES_SHOWN 3

/* Reads one case back through the getters, one call per value. */
static void print_read_case(int h, const double* vh) {
  double id = 0, date = 0, age = 0, income = 0;
  char city[21], gender[2], remarks[61];
  int day = 0, month = 0, year = 0;
  check(xovaGetValueNumeric(h, vh[0], &id), "xovaGetValueNumeric");
  check(xovaGetValueNumeric(h, vh[1], &date), "xovaGetValueNumeric");
  check(xovaGetValueNumeric(h, vh[2], &age), "xovaGetValueNumeric");
  check(xovaGetValueChar(h, vh[3], gender, sizeof gender), "xovaGetValueChar");
  check(xovaGetValueChar(h, vh[4], city, sizeof city), "xovaGetValueChar");
  check(xovaGetValueNumeric(h, vh[10], &income), "xovaGetValueNumeric");
  check(xovaGetValueChar(h, vh[12], remarks, sizeof remarks), "xovaGetValueChar");
  check(xovaConvertXOVADate(&day, &month, &year, date), "xovaConvertXOVADate");
  printf("  %2g  %02d.%02d.%d  %2g  %s  %s", id, day, month, year, age, gender, city);
  if (income == xovaSysmisVal()) {
    printf("  (sysmis)");
  } else {
    printf("  %.2f", income);
  }
  printf("  %s\n", remarks);
}

static void read_back(const char* path) {
  double vh[NUM_VARS];
  int h = -1, i, numCases = 0;
  check(xovaOpenRead(path, &h), "xovaOpenRead");
  check(xovaGetNumberofCases(h, &numCases), "xovaGetNumberofCases");
  printf("\nRead back %s: %d cases\n", path, numCases);
  print_dictionary(h);
  for (i = 0; i < NUM_VARS; ++i) vh[i] = var_handle(h, kVariables[i].name);
  printf("\nThe first %d cases, as read (id, date, age, gender, city, income, remarks):\n",
         CASES_SHOWN);
  for (i = 0; i < CASES_SHOWN && xovaReadCaseRecord(h) == XOVA_OK; ++i) print_read_case(h, vh);
  check(xovaCloseRead(h), "xovaCloseRead");
}

static long file_size(const char* path) {
  long size = -1;
  FILE* f = fopen(path, "rb");
  if (f && fseek(f, 0, SEEK_END) == 0) size = ftell(f);
  if (f) fclose(f);
  return size;
}

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "survey.data";
  int h = -1;
  check(xovaOpenWrite(path, &h), "xovaOpenWrite");
  define_variables(h);
  define_labels_and_missing(h);
  define_file_information(h);
  check(xovaCommitHeader(h), "xovaCommitHeader");
  printf("Wrote %s\n", path);
  print_dictionary(h);
  write_cases(h);
  check(xovaCloseWrite(h), "xovaCloseWrite");
  printf("\nCases:       %d, written compressed; the count went into the header at close\n",
         NUM_CASES);
  printf("File size:   %ld bytes\n", file_size(path));
  read_back(path);
  return 0;
}
