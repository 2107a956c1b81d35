// What the page's tests and the audio layer's browser test both read from
// samples of the browser's audio clock.

// How far the browser's audio clock fell behind the wall clock between the
// first and the last half second of `samples`, each [wall seconds, any,
// currentTime]: its stalls, when its audio thread got no CPU in time.
// currentTime moves in steps of the audio callback; just after a step it is
// exact, so the least lag of each half second is the clock's.
export function audioShortfall(samples) {
  const lag = (from, to) => Math.min(...samples.filter(([wall]) => wall >= from && wall <= to)
                                                .map(([wall, , audio]) => wall - audio));
  const [first, last] = [samples[0][0], samples.at(-1)[0]];
  return lag(last - 0.5, last) - lag(first, first + 0.5);
}
