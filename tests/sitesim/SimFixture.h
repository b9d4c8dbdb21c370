#pragma once
// One simulator for the whole test binary (media are made once), and a fresh
// cookie-keeping client per test.

#include "SimClient.h"
#include "sitesim/SiteSimulator.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>

class SimFixture : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

  public:
    static void Release();
    static QString UnescapeText(const QString& text) { return Unescape(text); }

  protected:
    static SiteSimulator& Sim() { return *sim_; }
    static QString MediaDir();
    static QByteArray ReadFile(const QString& path);
    // A stream-map or reply value as a client undoes it: \u0026 and \/ first,
    // then percent escapes (a "+" stays a "+").
    static QString Unescape(const QString& text);

    std::unique_ptr<SimClient> client_;

  private:
    static std::unique_ptr<QTemporaryDir> dir_;
    static std::unique_ptr<SiteSimulator> sim_;
};
