#pragma once

// A clip's loudness figures, kept by the store per clip. Levels are linear
// amplitudes on a full scale of 1.0 (a 16-bit sample s counts as s / 32768);
// nothing is converted to decibels. An all-zero record stands for a clip
// without readable sound.
struct AudioMetrics
{
    float maxRMS = 0;        // RMS level of the loudest 0.1 s window
    float avgRMS = 0;        // mean of the windows' RMS levels
    float spikeRatio = 0;    // share (0...1) of windows louder than twice avgRMS
    float dynamicRange = 0;  // 90th minus 10th percentile window level
    float peakAmplitude = 0; // largest absolute sample of the whole track

    // 0...1, by which the audio triage ranks clips: up to 0.5 for loudness
    // (full at a maxRMS of 0.3), 0.3 for spikes (full when 15 % of the windows
    // are spikes) and 0.2 for the range (full at 0.15). Zeros score 0.
    double loudnessScore() const;

    friend bool operator==(const AudioMetrics &, const AudioMetrics &) = default;
};
