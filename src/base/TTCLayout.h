#pragma once
// The log line layout:
//   "03-01-12 14:07:09, PM [2468] INFO CTrevaloDlg <OnInitDialog> - message"

#include <log4cpp/Layout.hh>

class TTCLayout : public log4cpp::Layout {
  public:
    std::string format(const log4cpp::LoggingEvent& event) override;
};
