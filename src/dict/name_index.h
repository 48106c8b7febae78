// A chained hash table of objects found by a text key. The key is not stored:
// the caller's comparison reads it from the object. The index owns its chain
// entries, never the objects.
#ifndef XOVA_DICT_NAME_INDEX_H
#define XOVA_DICT_NAME_INDEX_H

#include <cstdint>
#include <memory>
#include <vector>

namespace xova {

constexpr std::int32_t kNameIndexBuckets = 1023;

class NameIndex {
 public:
  // Negative, zero or positive as `key` sorts before, equal to or after the
  // object's key.
  using Compare = int (*)(const char* key, const void* object);

  // Throws std::bad_alloc when the bucket array cannot be allocated.
  explicit NameIndex(std::int32_t bucketCount = kNameIndexBuckets);
  // The same without the throw: null when memory runs out.
  static std::unique_ptr<NameIndex> Create(std::int32_t bucketCount = kNameIndexBuckets);
  ~NameIndex();
  NameIndex(const NameIndex&) = delete;
  NameIndex& operator=(const NameIndex&) = delete;

  void* Find(const char* key, Compare compare) const;
  // XOVA_DUPLICATE_VARIABLE when the key is present (nothing changes),
  // XOVA_OUT_OF_MEMORY when no entry can be allocated, else 0. The newest
  // entry of a bucket is met first.
  int Insert(const char* key, void* object, Compare compare);
  // Removes the entry holding `object`, if any. Lets a caller undo an insert.
  void Remove(const char* key, const void* object);
  void Clear();

  std::int32_t bucketCount() const { return static_cast<std::int32_t>(buckets_.size()); }
  static std::uint32_t Hash(const char* key);
  std::uint32_t BucketOf(const char* key) const;

 private:
  struct Entry {
    Entry* next;
    void* object;
  };
  std::vector<Entry*> buckets_;
};

// Comparisons of the three uses; all are plain unsigned byte comparisons.
int CompareRecordKey(const char* key, const void* record);
int CompareRecordShortName(const char* key, const void* record);
int CompareText(const char* key, const void* text);

}  // namespace xova

#endif
