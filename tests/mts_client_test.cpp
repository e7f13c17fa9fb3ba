// The microtuning client against stand-in tuning libraries: loading, registration, the master's
// table and filter, and the silent fallback when the library or some of its functions are missing.
#include <stdlib.h>

#include <gtest/gtest.h>

#include "instrument/MtsClient.h"
#include "tests/tuning_standin.h"

using namespace sorvel;

namespace {

constexpr char kNoLibrary[] = "/nonexistent/folder/libMTS.so";

}  // namespace

TEST(MtsClientFallback, WithoutTheLibraryEveryEntryIsAbsentAndTheClientPlaysEqualTemperament) {
  mtsclientglobal global(kNoLibrary);
  EXPECT_FALSE(global.libraryLoaded());
  EXPECT_EQ(global.RegisterClient, nullptr);
  EXPECT_EQ(global.DeregisterClient, nullptr);
  EXPECT_EQ(global.HasMaster, nullptr);
  EXPECT_EQ(global.ShouldFilterNote, nullptr);
  EXPECT_EQ(global.ShouldFilterNoteMultiChannel, nullptr);
  EXPECT_EQ(global.GetTuningTable, nullptr);
  EXPECT_EQ(global.GetMultiChannelTuningTable, nullptr);
  EXPECT_EQ(global.UseMultiChannelTuning, nullptr);
  EXPECT_EQ(global.GetScaleName, nullptr);
  EXPECT_EQ(global.tuningTable, nullptr);
  for (const double* table : global.channelTables) EXPECT_EQ(table, nullptr);
  EXPECT_FALSE(global.isOnline());
  EXPECT_DOUBLE_EQ(global.inverseEqualTemperament[69], 1.0 / 440.0);
  EXPECT_NEAR(global.inverseEqualTemperament[57], 1.0 / 220.0, 1e-15);

  MtsClient client(global);
  EXPECT_EQ(client.scaleName(), "12-TET");
  EXPECT_FALSE(client.frequencyRequested());
  EXPECT_FALSE(client.shouldFilterNote(60));
  EXPECT_DOUBLE_EQ(client.frequency(69), 440.0);
  EXPECT_NEAR(client.frequency(60), 261.6256, 1e-4);
  EXPECT_NEAR(client.frequency(60 + 128), 261.6256, 1e-4);  // the note is taken modulo 128
  EXPECT_TRUE(client.frequencyRequested());
  EXPECT_FALSE(client.supportsMultiChannelTuning());
  EXPECT_FALSE(client.supportsMultiChannelNoteFiltering());
}

TEST(MtsClientFallback, TheLibraryPathComesFromTheEnvironmentWhenSet) {
  unsetenv(kMtsLibraryVariable);
  EXPECT_EQ(mtsLibraryPath(), "/usr/local/lib/libMTS.so");
  setenv(kMtsLibraryVariable, "", 1);
  EXPECT_EQ(mtsLibraryPath(), "/usr/local/lib/libMTS.so");
  setenv(kMtsLibraryVariable, "/opt/tuning/libMTS.so", 1);
  EXPECT_EQ(mtsLibraryPath(), "/opt/tuning/libMTS.so");
  unsetenv(kMtsLibraryVariable);
}

TEST(MtsClientFallback, LibraryWithoutATuningTableIsNeverOnline) {
  standin::TuningStandIn library(SORVEL_TUNING_STANDIN_NO_TABLE);
  ASSERT_TRUE(library.ready());
  library.setMaster(true);
  library.setFrequency(69, 450.0);
  library.setFiltered(69, true);
  {
    mtsclientglobal global(SORVEL_TUNING_STANDIN_NO_TABLE);
    ASSERT_TRUE(global.libraryLoaded());
    EXPECT_EQ(global.GetTuningTable, nullptr);
    EXPECT_EQ(global.DeregisterClient, nullptr);
    EXPECT_NE(global.HasMaster, nullptr);
    EXPECT_FALSE(global.isOnline());
    {
      MtsClient client(global);
      EXPECT_EQ(library.clients(), 1);
      EXPECT_FALSE(client.shouldFilterNote(69));
      EXPECT_DOUBLE_EQ(client.frequency(69), 440.0);
    }
    // Nothing to deregister with: the client just goes.
    EXPECT_EQ(library.clients(), 1);
  }
  EXPECT_EQ(library.filterQueries(), 0);
}

TEST(MtsClientFallback, LibraryWithoutTheMasterQueryIsNeverOnline) {
  standin::TuningStandIn library(SORVEL_TUNING_STANDIN_NO_MASTER);
  ASSERT_TRUE(library.ready());
  library.setMaster(true);
  library.setFrequency(69, 450.0);
  library.setFiltered(69, true);
  mtsclientglobal global(SORVEL_TUNING_STANDIN_NO_MASTER);
  EXPECT_EQ(global.HasMaster, nullptr);
  EXPECT_NE(global.tuningTable, nullptr);
  EXPECT_FALSE(global.isOnline());
  MtsClient client(global);
  EXPECT_FALSE(client.shouldFilterNote(69));
  EXPECT_DOUBLE_EQ(client.frequency(69), 440.0);
  EXPECT_EQ(library.filterQueries(), 0);
}

TEST(MtsClientWithMaster, LoadsAllNineFunctionsAndTheTables) {
  standin::TuningStandIn library(SORVEL_TUNING_STANDIN);
  ASSERT_TRUE(library.ready());
  mtsclientglobal global(SORVEL_TUNING_STANDIN);
  ASSERT_TRUE(global.libraryLoaded());
  EXPECT_NE(global.RegisterClient, nullptr);
  EXPECT_NE(global.DeregisterClient, nullptr);
  EXPECT_NE(global.HasMaster, nullptr);
  EXPECT_NE(global.ShouldFilterNote, nullptr);
  EXPECT_NE(global.ShouldFilterNoteMultiChannel, nullptr);
  EXPECT_NE(global.GetTuningTable, nullptr);
  EXPECT_NE(global.GetMultiChannelTuningTable, nullptr);
  EXPECT_NE(global.UseMultiChannelTuning, nullptr);
  EXPECT_NE(global.GetScaleName, nullptr);
  ASSERT_NE(global.tuningTable, nullptr);
  for (const double* table : global.channelTables) EXPECT_NE(table, nullptr);
  EXPECT_FALSE(global.isOnline());  // no master yet
  library.setMaster(true);
  EXPECT_TRUE(global.isOnline());
  library.setMaster(false);
  EXPECT_FALSE(global.isOnline());
}

TEST(MtsClientWithMaster, EachClientRegistersOnceAndDeregistersAtDestruction) {
  standin::TuningStandIn library(SORVEL_TUNING_STANDIN);
  ASSERT_TRUE(library.ready());
  mtsclientglobal global(SORVEL_TUNING_STANDIN);
  {
    MtsClient first(global);
    EXPECT_EQ(library.clients(), 1);
    {
      MtsClient second(global);
      EXPECT_EQ(library.clients(), 2);
    }
    EXPECT_EQ(library.clients(), 1);
  }
  EXPECT_EQ(library.clients(), 0);
  EXPECT_EQ(library.registrations(), 2);
}

TEST(MtsClientWithMaster, FrequenciesFollowTheMastersTableOnlyWhileItIsOnline) {
  standin::TuningStandIn library(SORVEL_TUNING_STANDIN);
  ASSERT_TRUE(library.ready());
  mtsclientglobal global(SORVEL_TUNING_STANDIN);
  MtsClient client(global);
  library.setFrequency(69, 450.0);
  library.setFrequency(60, 250.0);
  EXPECT_DOUBLE_EQ(client.frequency(69), 440.0);  // offline: the client's own table
  library.setMaster(true);
  EXPECT_DOUBLE_EQ(client.frequency(69), 450.0);
  EXPECT_DOUBLE_EQ(client.frequency(60), 250.0);
  EXPECT_DOUBLE_EQ(client.frequency(69 + 128), 450.0);
  library.setFrequency(69, 432.0);  // the master retunes in place
  EXPECT_DOUBLE_EQ(client.frequency(69), 432.0);
}

TEST(MtsClientWithMaster, FilteredNotesAreAskedWithoutAChannelOnlyWhileOnline) {
  standin::TuningStandIn library(SORVEL_TUNING_STANDIN);
  ASSERT_TRUE(library.ready());
  mtsclientglobal global(SORVEL_TUNING_STANDIN);
  MtsClient client(global);
  library.setFiltered(61, true);
  EXPECT_FALSE(client.shouldFilterNote(61));
  EXPECT_EQ(library.filterQueries(), 0);
  library.setMaster(true);
  EXPECT_TRUE(client.shouldFilterNote(61));
  EXPECT_EQ(library.lastFilterChannel(), -1);
  EXPECT_TRUE(client.shouldFilterNote(61 + 128));
  EXPECT_FALSE(client.shouldFilterNote(62));
  EXPECT_EQ(library.filterQueries(), 3);
}
