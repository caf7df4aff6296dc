// A lookup table from a value 0..1 to a colour, interpolated between colour
// stops and shaped by a range and a contrast; the spectrogram layer uploads
// it as a 1-D texture that the renderer's shader indexes.
#pragma once

#include <cstdint>
#include <vector>

class ColorMap
{
public:
  struct Stop
  {
    double position;  // 0..1, ascending from stop to stop
    uint8_t color[4]; // components c0..c3
  };

  // smallTable: 4096 entries packed with components 0 and 2 exchanged;
  // otherwise 65536 entries packed as given. Built at once with range 0
  // and contrast 0.
  ColorMap(const std::vector<Stop>& stops, bool smallTable);

  // Stores range * 0.996 and rebuilds the table.
  void SetRange(double range);
  // Exponent control (below 1); rebuilds the table.
  void SetContrast(double contrast);
  double GetRange() const { return mRange; }
  double GetContrast() const { return mContrast; }

  // Copies the table: 4 bytes per entry.
  void GetData(std::vector<uint8_t>* data) const;
  int GetTableSize() const { return mTableSize; }
  const uint32_t* GetTableData() const { return mTableData; }

private:
  void Build();

  std::vector<Stop> mStops;
  double mRange = 0.0;
  double mContrast = 0.0;
  bool mSmallTable;
  std::vector<uint32_t> mTable;
  int mTableSize = 0;
  const uint32_t* mTableData = nullptr;
};
