// A file written through the library with every kind of dictionary entry and
// a few cases, and the checks that a reader gives all of it back.
#ifndef XOVA_TESTS_READ_SURVEY_SAMPLE_H
#define XOVA_TESTS_READ_SURVEY_SAMPLE_H

#include <string>
#include <vector>

namespace xova_test {

struct SampleCase {
  double id;
  double score;      // may be system-missing
  std::string city;  // width 20
  std::string code;  // width 3
  double income;
};

// The cases WriteSurveySample writes (the first `n` of a repeating pattern).
std::vector<SampleCase> SampleCases(int n);

// Writes the sample dictionary and `n` cases; returns the close result (or the
// first failing code).
int WriteSurveySample(const std::string& path, int compression, int n);

// Checks, with gtest assertions, the dictionary of an open read (or write
// copy) handle against what WriteSurveySample defined.
void ExpectSurveyDictionary(int handle);

// Reads the next `n` cases of a read handle and checks them value by value.
void ExpectSurveyCases(int handle, const std::vector<SampleCase>& cases);

}  // namespace xova_test

#endif
