// The store's text form, packing and table rows, without any file or process.
#include <gtest/gtest.h>

#include "packing.h"
#include "policy_codes.h"
#include "store_format.h"

using namespace tvsim;

namespace {

PolicyValue SampleTable() {
  PolicyValue t = PolicyValue::Table({7, 3, 2, 3, 7, 7});
  t.InsertRow(-1);
  t.rows[0][0].number = 0;
  t.rows[0][1].text = "HF-1";
  t.rows[0][2].text = "1.3.6.1.4.1.5839.11";
  t.rows[0][3].text = "tab\there, line\nbreak, back\\slash, bell\x07";
  t.rows[0][4].number = -1;  // 0xFFFFFFFF as a stored time
  t.rows[0][5].number = INT32_MIN;
  t.InsertRow(-1);
  return t;
}

StoreImage SampleImage() {
  StoreImage image;
  image.identity = {3, 1, "00-11-22-33-44-55"};
  image.entries["1.3.6.1.4.1.5839.11.2.1"] = PolicyValue::Text("8.00");
  image.entries["1.3.6.1.4.1.5839.11.1.2"] = PolicyValue::Text("", 4);
  image.entries["1.3.6.1.4.1.5839.11.9"] = PolicyValue::Int(INT32_MAX, 10);
  image.entries["1.3.6.1.4.1.5839.11.8"] = PolicyValue::Text("opaque", 5);
  image.entries["1.3.6.1.4.1.5839.11.7"] = PolicyValue();
  image.entries["1.3.6.1.4.1.5839.11.2.27.1"] = SampleTable();
  image.entries["1.3.6.1.4.1.5839.11.6"] = PolicyValue::Table({});
  return image;
}

TEST(StoreFormat, StoreRoundTripKeepsEveryKindOfEntry) {
  StoreImage image = SampleImage();
  std::string text;
  SerializeStore(image, &text);
  StoreImage back;
  ASSERT_EQ(kOk, ParseStore(text, &back));
  EXPECT_EQ(image.identity.method, back.identity.method);
  EXPECT_EQ(image.identity.operation, back.identity.operation);
  EXPECT_EQ(image.identity.value, back.identity.value);
  ASSERT_EQ(image.entries.size(), back.entries.size());
  for (const auto& e : image.entries) EXPECT_TRUE(e.second == back.entries[e.first]) << e.first;
  // Stays readable: one line per record, escapes instead of raw tabs and breaks.
  EXPECT_NE(std::string::npos, text.find("tab\\there, line\\nbreak, back\\\\slash, bell\\x07"));
  EXPECT_NE(std::string::npos, text.find("var\t1.3.6.1.4.1.5839.11.2.1\t3\t8.00\n"));
}

TEST(StoreFormat, MalformedStoresAreRefused) {
  const char* const kCases[] = {
      "",                                                 // no header
      "TVSIM-POLICY-STORE 2\n",                           // other version
      "TVSIM-POLICY-STORE 1\nrow\t1\n",                   // row without table
      "TVSIM-POLICY-STORE 1\ntable\t1.2\t7,3\nrow\t1\n",  // too few cells
      "TVSIM-POLICY-STORE 1\ntable\t1.2\t7\nrow\tx\n",    // integer cell not a number
      "TVSIM-POLICY-STORE 1\nvar\t1..2\t3\tx\n",          // bad OID
      "TVSIM-POLICY-STORE 1\nvar\t1.2\t3\tbad\\q\n",      // bad escape
      "TVSIM-POLICY-STORE 1\nvar\t1.2\t7\t99999999999\n", // out of 32 bits
      "TVSIM-POLICY-STORE 1\nvar\t1.2\t3\n",              // missing field
      "TVSIM-POLICY-STORE 1\nbogus\n",
  };
  for (const char* text : kCases) {
    StoreImage image;
    EXPECT_EQ(kErrStoreCorrupt, ParseStore(text, &image)) << text;
    EXPECT_TRUE(image.entries.empty());
  }
}

TEST(StoreFormat, OidValidation) {
  const struct {
    const char* oid;
    bool valid;
  } kCases[] = {{"1.2.3.4.5.6.7.8.9.10", true}, {"1", true},   {"", false},
                {".1", false},                  {"1.", false}, {"1..2", false},
                {"1.a", false},                 {"1 .2", false}};
  for (const auto& c : kCases) EXPECT_EQ(c.valid, IsValidOid(c.oid)) << c.oid;
}

TEST(StoreFormat, FaultSwitchesRoundTrip) {
  FaultSwitches f;
  f.channel_refused = true;
  f.probe_exists = true;
  f.oid_errors["1.3.6.1.4.1.5839.11.2.1"] = -42;
  std::string text;
  SerializeFaults(f, &text);
  FaultSwitches back;
  ASSERT_EQ(kOk, ParseFaults(text, &back));
  EXPECT_TRUE(back.channel_refused);
  EXPECT_TRUE(back.probe_exists);
  EXPECT_EQ(-42, back.oid_errors["1.3.6.1.4.1.5839.11.2.1"]);
  EXPECT_EQ(kOk, ParseFaults("", &back));
  EXPECT_FALSE(back.Any());
  EXPECT_EQ(kErrStoreCorrupt, ParseFaults("TVSIM-FAULTS 1\nsomething\n", &back));
}

TEST(Packing, PackedOidRoundTripAndRejects) {
  std::string packed = PackOid("1.3.6.1.4.1.5839.11.2.1");
  EXPECT_EQ(static_cast<int32_t>(packed.size()), PackedOidSize(packed.data()));
  std::string oid;
  ASSERT_EQ(kOk, UnpackOid(packed.data(), packed.size(), &oid));
  EXPECT_EQ("1.3.6.1.4.1.5839.11.2.1", oid);
  EXPECT_EQ(kErrStoreCorrupt, UnpackOid(packed.data(), packed.size() - 1, &oid));
  EXPECT_EQ(kErrStoreCorrupt, UnpackOid(packed.data(), 3, &oid));
  EXPECT_EQ(kErrStoreCorrupt, UnpackOid(nullptr, 0, &oid));
}

TEST(Packing, PackagesRoundTripBothKinds) {
  StoreImage image = SampleImage();
  for (PackageKind kind : {PackageKind::kGetReply, PackageKind::kSetRequest}) {
    for (const auto& e : image.entries) {
      std::string bytes = PackPackage(kind, e.first, e.second);
      std::string oid;
      PolicyValue value;
      ASSERT_EQ(kOk, UnpackPackage(kind, bytes.data(), bytes.size(), &oid, &value)) << e.first;
      EXPECT_EQ(e.first, oid);
      EXPECT_TRUE(e.second == value) << e.first;
    }
  }
  // A get reply is not a set request, and cut or empty packages are refused.
  std::string bytes = PackPackage(PackageKind::kGetReply, "1.2", PolicyValue::Text("x"));
  std::string oid;
  PolicyValue value;
  EXPECT_EQ(kErrStoreCorrupt,
            UnpackPackage(PackageKind::kSetRequest, bytes.data(), bytes.size(), &oid, &value));
  EXPECT_EQ(kErrStoreCorrupt,
            UnpackPackage(PackageKind::kGetReply, bytes.data(), 10, &oid, &value));
  EXPECT_EQ(kErrStoreCorrupt, UnpackPackage(PackageKind::kGetReply, "", 0, &oid, &value));
}

// Damaged texts never crash the parsers: every byte position is cut, and
// bytes are replaced by characters that matter to the format.
TEST(StoreFormat, DamagedTextsAreHandled) {
  std::string text;
  SerializeStore(SampleImage(), &text);
  std::string package = PackPackage(PackageKind::kGetReply, "1.2.3", SampleTable());
  const char kBytes[] = {'\t', '\n', '\\', 'x', '-', ',', '\0', '9'};
  for (const std::string* base : {&text, &package}) {
    for (size_t i = 0; i < base->size(); ++i) {
      StoreImage image;
      std::string oid;
      PolicyValue value;
      ParseStore(base->substr(0, i), &image);
      UnpackPackage(PackageKind::kGetReply, base->data(), i, &oid, &value);
      for (char b : kBytes) {
        std::string damaged = *base;
        damaged[i] = b;
        ParseStore(damaged, &image);
        UnpackPackage(PackageKind::kGetReply, damaged.data(), damaged.size(), &oid, &value);
        UnpackOid(damaged.data(), damaged.size(), &oid);
      }
    }
  }
  SUCCEED();
}

TEST(PolicyValueRows, InsertAppendsOrInsertsBeforeAndRemoveChecksRange) {
  PolicyValue t = PolicyValue::Table({7});
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(t.InsertRow(-1));
    t.rows.back()[0].number = i;
  }
  ASSERT_TRUE(t.InsertRow(1));
  t.rows[1][0].number = 9;
  EXPECT_FALSE(t.InsertRow(5));
  ASSERT_TRUE(t.RemoveRow(0));
  EXPECT_FALSE(t.RemoveRow(3));
  EXPECT_FALSE(t.RemoveRow(-1));
  ASSERT_EQ(3u, t.rows.size());
  EXPECT_EQ(9, t.rows[0][0].number);
  EXPECT_EQ(1, t.rows[1][0].number);
  EXPECT_EQ(2, t.rows[2][0].number);
  PolicyValue scalar = PolicyValue::Text("x");
  EXPECT_FALSE(scalar.InsertRow(-1));
}

}  // namespace
