// Reads pictures with the newest zxing-cpp built to WebAssembly (npm zxing-wasm, the version
// pinned in package.json), for bench_corpus's zxing-wasm column: one node process per category.
//
//   node bench/corpus/zxing_wasm.mjs LIST [small]
//
// LIST has one line per picture, "WIDTH HEIGHT PATH", PATH holding the picture's RGBA pixels
// as bench_corpus decoded them. Prints one JSON line per picture, in order:
// {"ms": time of the read, "symbols": [{"text": UTF-8 text, "hex": data bytes}]}. The time
// covers the grey conversion and the read inside WebAssembly, not the loading of the pixels.
// QR symbols only (with "small": Micro QR and rMQR as well), with the reader's defaults otherwise (tryHarder, tryRotate, tryInvert,
// tryDownscale, up to 255 symbols).
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { prepareZXingModule, readBarcodes } from "zxing-wasm/reader";

const require = createRequire(import.meta.url);
// The module would fetch its .wasm from a CDN; it is read from the installed package instead.
const wasmBinary = readFileSync(require.resolve("zxing-wasm/reader/zxing_reader.wasm"));
await prepareZXingModule({ overrides: { wasmBinary }, fireImmediately: true });

const options = { formats: process.argv[3] === "small" ? ["QRCode", "MicroQRCode", "rMQRCode"] : ["QRCode"] };
for (const line of readFileSync(process.argv[2], "utf8").split("\n")) {
  if (!line) continue;
  const [width, height, ...path] = line.split(" ");
  const pixels = readFileSync(path.join(" "));
  const image = { width: Number(width), height: Number(height), data: new Uint8ClampedArray(pixels.buffer, pixels.byteOffset, pixels.length) };
  const start = process.hrtime.bigint();
  const results = await readBarcodes(image, options);
  const ms = Number(process.hrtime.bigint() - start) / 1e6;
  const symbols = results.filter((r) => r.isValid).map((r) => ({ text: r.text, hex: Buffer.from(r.bytes).toString("hex") }));
  process.stdout.write(JSON.stringify({ ms, symbols }) + "\n");
}
