// The peer encoder of scripts/bench: Debian's jlha library (libjlha-java)
// compressing IN into OUT as a raw -lh1- stream, without an archive header.
// Run as: java -cp /usr/share/java/jlha.jar bench/Lh1Encode.java IN OUT
import java.io.BufferedOutputStream;
import java.io.FileOutputStream;
import java.io.OutputStream;
import java.nio.file.Files;
import java.nio.file.Paths;

import jp.gr.java_conf.dangan.util.lha.CompressMethod;
import jp.gr.java_conf.dangan.util.lha.LhaProperty;

public class Lh1Encode {
    public static void main(String[] args) throws Exception {
        byte[] data = Files.readAllBytes(Paths.get(args[0]));
        long start = System.nanoTime();
        try (OutputStream out = CompressMethod.connectEncoder(
                new BufferedOutputStream(new FileOutputStream(args[1])), CompressMethod.LH1, LhaProperty.getProperties())) {
            out.write(data);
        }
        System.out.println((System.nanoTime() - start) / 1e9);
    }
}
