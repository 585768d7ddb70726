#include <gtest/gtest.h>

#include <string>

#include "ModelTestSupport.h"
#include "model/Conversion.h"

namespace {

class CurveStore : public ::testing::Test {
  protected:
    CCurveStoreScope scope;
    CCurveStore& store = CCurveStore::Instance();
};

TEST_F(CurveStore, AddTakesTheFirstFreeIdentifierFromThePreferredOne) {
    EXPECT_EQ(store.AddCurve(MakeCurve("A", 1), 50).id, 50);
    EXPECT_EQ(store.AddCurve(MakeCurve("B", 1), 50).id, 51);
    EXPECT_EQ(store.AddCurve(MakeCurve("C", 1), 100).id, 100);
    EXPECT_EQ(store.AddCurve(MakeCurve("D", 1), 0).id, 52);    // no preference
    EXPECT_EQ(store.AddCurve(MakeCurve("E", 1), 251).id, 53);  // out of 50..250
    const auto again = store.AddCurve(MakeCurve("C", 1), 60);
    EXPECT_EQ(again.id, 100);
    EXPECT_FALSE(again.added);
    EXPECT_EQ(store.Count(), 5u);
    EXPECT_EQ(store.GetCurve(100)->Id, 100);
}

TEST_F(CurveStore, EqualityIgnoresTagDeviceIdAndUnitBits) {
    const TConvCust base = MakeCurve("Lab", 0.5f, 0x01);
    store.AddCurve(base, 70);
    TConvCust same = base;
    same.Tag = 0;
    same.OnDevice = 1;
    same.Id = 9;
    same.Flags = 0x01 | 0x18;  // other entry unit
    EXPECT_EQ(store.FindEqualCurve(same), 70);

    std::vector<TConvCust> different(6, base);
    different[0].SetName8("Lab2");
    different[1].D = 0.1f;
    different[2].QMax = 61;
    different[3].Kind = kCurveExponential;
    different[4].Flags = 0x03;  // usable on type L too
    different[5].A = 1e-9f;
    for (std::size_t i = 0; i < different.size(); ++i) EXPECT_FALSE(store.FindEqualCurve(different[i])) << i;
}

// Beyond 250 the store takes 251; after that it never stores a curve over
// another (which would change the strength of every series using that curve)
// but looks below the preferred identifier, and reports a full store.
TEST_F(CurveStore, FullStoreNeverOverwrites) {
    for (int i = 50; i <= 250; ++i)
        ASSERT_EQ(store.AddCurve(MakeCurve(std::to_string(i).c_str(), 1), i).id, i);
    EXPECT_EQ(store.AddCurve(MakeCurve("x251", 1), 50).id, 251);
    const auto full = store.AddCurve(MakeCurve("x252", 1), 50);
    EXPECT_EQ(full.id, -1);
    EXPECT_FALSE(full.added);
    EXPECT_EQ(store.GetCurve(251)->Name8(), "x251");

    store.RemoveCurve(60);
    EXPECT_EQ(store.AddCurve(MakeCurve("again", 1), 200).id, 60);
}

TEST_F(CurveStore, RemoveKeepsHammerCurves) {
    TConvCust fromHammer = MakeCurve("C1", 1);
    fromHammer.OnDevice = 1;
    store.AddCurve(fromHammer, 50);
    store.AddCurve(MakeCurve("Lib", 1), 51);
    EXPECT_FALSE(store.RemoveCurve(50));
    EXPECT_TRUE(store.RemoveCurve(51));
    EXPECT_FALSE(store.RemoveCurve(51));
    EXPECT_TRUE(store.HasCurve(50));
}

TEST_F(CurveStore, PurgeKeepsCurvesInUse) {
    CHammerData working, original;
    TVantrelObject s = MakeSeries({40});
    s.CurveId = 50;
    working.AppendSeries(s);
    s.CurveId = 51;
    original.AppendSeries(s);
    TConvCust hammer = MakeCurve("onDevice", 1);
    hammer.OnDevice = 1;
    const int ids[] = {50, 51, 52, 249, 250};
    for (int id : ids) store.AddCurve(MakeCurve(std::to_string(id).c_str(), 1), id);
    store.AddCurve(hammer, 53);

    store.PurgeUnusedCurves({&working, &original});
    for (int id : {50, 51, 53, 250}) EXPECT_TRUE(store.HasCurve(id)) << id;
    EXPECT_FALSE(store.HasCurve(52));
    EXPECT_FALSE(store.HasCurve(249));

    store.PurgeUnusedCurves(working);
    EXPECT_FALSE(store.HasCurve(51));
    EXPECT_TRUE(store.HasCurve(50));
}

class ChangeCurve : public CurveStore {
  protected:
    CFakeOwner owner;
    CHammerData working{&owner};
    CHammerData original;
    std::vector<TConvCust> library = {MakeCurve("OnlyL", 1, 0x02 | 0x08), MakeCurve("Both", 0.5f, 0x03)};

    int AddSeries(const std::u16string& type, std::uint8_t curve) {
        TVantrelObject s = MakeSeries({40});
        s.DeviceType = type;
        s.NewDataFormat = 0;  // the type letter at index 15
        s.CurveId = curve;
        working.AppendSeries(s);
        return working.GetCount() - 1;
    }
};

TEST_F(ChangeCurve, TypeLRefusesCurvesItDoesNotHave) {
    const int l = AddSeries(kTypeL, 1);
    for (int refused : {0, 3, 15}) {
        EXPECT_FALSE(working.ChangeCurve(l, refused, library)) << refused;
        EXPECT_EQ(working.GetCurveId(l), 1);
    }
    EXPECT_EQ(owner.modified, 0);
    EXPECT_TRUE(working.ChangeCurve(l, 13, library));
    EXPECT_EQ(working.GetCurveId(l), 13);
    EXPECT_EQ(owner.modified, 1);

    const int n = AddSeries(kTypeN, 1);
    EXPECT_TRUE(working.ChangeCurve(n, 3, library));
}

TEST_F(ChangeCurve, LibraryCurvesEnterTheStoreForTheirHammerType) {
    const int n = AddSeries(kTypeN, 1);
    const int l = AddSeries(kTypeL, 1);
    EXPECT_FALSE(working.ChangeCurve(n, 256, library));  // an L-only curve
    EXPECT_FALSE(working.ChangeCurve(n, 258, library));  // no such entry
    EXPECT_EQ(store.Count(), 0u);

    EXPECT_TRUE(working.ChangeCurve(n, 257, library));
    EXPECT_EQ(working.GetCurveId(n), 50);
    EXPECT_EQ(Model::GetCurveName(50), u"Both");
    EXPECT_TRUE(working.ChangeCurve(l, 256, library));
    EXPECT_EQ(working.GetCurveId(l), 51);
    // A store curve chosen by identifier must suit the hammer type too.
    EXPECT_FALSE(working.ChangeCurve(n, 51, library));
    EXPECT_FALSE(working.ChangeCurve(n, 77, library));  // not in the store
    EXPECT_TRUE(working.ChangeCurve(l, 50, library));
    EXPECT_EQ(working.GetCurveId(l), 50);
    EXPECT_FALSE(store.HasCurve(51));  // nobody uses it any more
}

TEST_F(ChangeCurve, ACurveLeftBehindStaysWhileSomethingUsesIt) {
    const int a = AddSeries(kTypeN, 1);
    const int b = AddSeries(kTypeN, 1);
    ASSERT_TRUE(working.ChangeCurve(a, 257, library));
    ASSERT_TRUE(working.ChangeCurve(b, 50, library));

    EXPECT_TRUE(working.ChangeCurve(a, 2, library));
    EXPECT_TRUE(store.HasCurve(50));  // b still uses it
    original.CopyFrom(working);
    EXPECT_TRUE(working.ChangeCurve(b, 2, library, &original));
    EXPECT_TRUE(store.HasCurve(50));  // the original data still use it
    EXPECT_TRUE(working.ChangeCurve(b, 1, library));
    EXPECT_FALSE(store.HasCurve(50));

    TConvCust hammer = MakeCurve("C1", 1);
    hammer.OnDevice = 1;
    ASSERT_EQ(store.AddCurve(hammer, 50).id, 50);
    ASSERT_TRUE(working.ChangeCurve(a, 50, library));
    EXPECT_TRUE(working.ChangeCurve(a, 1, library));
    EXPECT_TRUE(store.HasCurve(50));  // curves of the hammer's slots stay
}

}  // namespace
